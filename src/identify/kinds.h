// File kind codes: what the classifier answers, and the words of each kind
// that both programs show: its label and sentence, the extension it gives a
// name, and what the main window says when it starts the kind's program.
#pragma once

#include <optional>
#include <span>
#include <string>
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
  std::string_view extension;          // lower case, no dot; empty when none
  std::string_view label;              // set between "これは" and "ファイルです。"
  std::string_view announcement = {};  // when its program is started; empty: none
};

// Every code that has a label, in ascending order.
std::span<const KindInfo> AllKinds();

// The extension of a kind, without dot; empty for -1, 0, 104 and unknown codes.
std::string_view KindExtension(int code);

// The label of a kind; none for -1 and unknown codes.
std::optional<std::string_view> KindLabel(int code);

// The sentence for a kind: "これは" + label + "ファイルです。", the text for
// a file that could not be read (-1), or nothing for codes without a label.
std::optional<std::string> IdentifySentence(int code);

// The name that a file called `leaf` (its own name, without folder) gets for
// kind `code`: its extension replaced by the kind's. Nothing when it already
// has that extension (a to z compared without case) or the kind has none
// (0, -1, 104). A dot that leads the name starts no stem, so ".profile" keeps
// its name and gets the extension added rather than losing it.
std::optional<std::string> LeafNameForKind(std::string_view leaf, int code);

// The same for any extension (lower case, no dot); nothing when it is empty.
std::optional<std::string> LeafNameWithExtension(std::string_view leaf, std::string_view extension);

// What the result field says when the program of a kind is started; empty
// for kinds without an announcement.
std::string_view LaunchAnnouncement(int code);

}  // namespace miwake
