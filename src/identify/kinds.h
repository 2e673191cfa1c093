// File kind codes: what the classifier answers, with the extension and the
// label that the commands turn each code into.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace miwake {

inline constexpr int kKindUnreadable = -1;  // could not be opened or read
inline constexpr int kKindOther = 0;
inline constexpr int kKindText = 1;
// Executables told apart by their version resource.
inline constexpr int kFirstExecutableSubKind = 2, kLastExecutableSubKind = 13;
inline constexpr int kKindScreenSaver = 4;
inline constexpr int kKindRevocationList = 6;
inline constexpr int kKindBitmap = 103;
inline constexpr int kKindRupo = 104;
inline constexpr int kKindExecutable = 105;

struct KindInfo {
  int code;
  std::string_view extension;  // lower case, no dot; empty when none
  std::string_view label;      // set between "これは" and "ファイルです。"
};

// Every code that has a label, in ascending order.
std::span<const KindInfo> AllKinds();

// The extension of a kind, without dot; empty for -1, 0, 104 and unknown codes.
std::string_view KindExtension(int code);

// The label of a kind; none for -1 and unknown codes.
std::optional<std::string_view> KindLabel(int code);

}  // namespace miwake
