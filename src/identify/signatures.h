// The signature table: which bytes at which place of a file give which kind.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "identify/kinds.h"

namespace miwake {

enum class SignatureGroup {
  kPrimary,          // decides the code by itself
  kContainer,        // enables a second look (RIFF forms, the name search)
  kRiffForm,         // the form tag of a RIFF file
  kApplicationName,  // searched for anywhere past its position
};

struct Signature {
  std::string_view bytes;
  int position;  // 1-based position of the first byte in the file
  SignatureGroup group;
  int code;  // the kind it gives; 0 for the containers, which give none
  constexpr std::size_t offset() const { return static_cast<std::size_t>(position - 1); }
};

inline constexpr int kSignatureCount = 25;
inline constexpr int kFirstPrimary = 0, kLastPrimary = 15;
inline constexpr int kRiffEntry = 16, kCompoundEntry = 17;
inline constexpr int kFirstRiffForm = 18, kLastRiffForm = 20;
inline constexpr int kFirstAppName = 21, kLastAppName = 24;
inline constexpr int kWord6Entry = 0, kExcel5Entry = 1, kBitmapEntry = 2;

inline constexpr std::array<Signature, kSignatureCount> kSignatures{{
    {"Microsoft Word 6", 2081, SignatureGroup::kPrimary, 101},
    {"Microsoft Excel 5", 2081, SignatureGroup::kPrimary, 102},
    {"BM", 1, SignatureGroup::kPrimary, 103},
    {"TOSHIBA", 1, SignatureGroup::kPrimary, 104},
    {"MZ", 1, SignatureGroup::kPrimary, 105},
    {"lh5", 4, SignatureGroup::kPrimary, 106},
    {"JFIF", 7, SignatureGroup::kPrimary, 107},
    {"GIF8", 1, SignatureGroup::kPrimary, 108},
    {"MAKI01", 1, SignatureGroup::kPrimary, 109},
    {"PK\x03\x04", 1, SignatureGroup::kPrimary, 110},
    {"MSCF", 1, SignatureGroup::kPrimary, 111},
    {"Standard Jet DB", 5, SignatureGroup::kPrimary, 112},
    {"THUNVB 6.0 Cache file", 1033, SignatureGroup::kPrimary, 113},
    {"MAKI02", 1, SignatureGroup::kPrimary, 114},
    {"?_", 1, SignatureGroup::kPrimary, 115},
    {"MThd", 1, SignatureGroup::kPrimary, 116},
    {"RIFF", 1, SignatureGroup::kContainer, 0},
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 1, SignatureGroup::kContainer, 0},
    {"WAVEfmt", 9, SignatureGroup::kRiffForm, 31},
    {"AVI LIST", 9, SignatureGroup::kRiffForm, 32},
    {"RMIDdata", 9, SignatureGroup::kRiffForm, 33},
    {"Microsoft Word", 2081, SignatureGroup::kApplicationName, 51},
    {"Microsoft Excel", 2081, SignatureGroup::kApplicationName, 52},
    {"一太郎 9/8 文書", 2081, SignatureGroup::kApplicationName, 53},
    {"Microsoft PowerPoint", 2081, SignatureGroup::kApplicationName, 54},
}};

// The classifier walks the groups by these index ranges; each range must hold
// its group and nothing else, and each entry's code follow from its index.
constexpr bool GroupsHoldTheirRanges() {
  for (int i = 0; i < kSignatureCount; ++i) {
    const Signature& s = kSignatures[i];
    const bool ok =
        (i >= kFirstPrimary && i <= kLastPrimary)
            ? s.group == SignatureGroup::kPrimary && s.code == 101 + i
        : (i == kRiffEntry || i == kCompoundEntry)
            ? s.group == SignatureGroup::kContainer && s.code == 0
        : (i >= kFirstRiffForm && i <= kLastRiffForm)
            ? s.group == SignatureGroup::kRiffForm && s.code == 31 + (i - kFirstRiffForm)
        : (i >= kFirstAppName && i <= kLastAppName)
            ? s.group == SignatureGroup::kApplicationName && s.code == 51 + (i - kFirstAppName)
            : false;
    if (!ok || s.bytes.empty()) return false;
  }
  return kSignatures[kWord6Entry].bytes == "Microsoft Word 6" &&
         kSignatures[kExcel5Entry].bytes == "Microsoft Excel 5" &&
         kSignatures[kBitmapEntry].code == kKindBitmap &&
         kSignatures[kCompoundEntry].bytes.size() == 8 && kSignatures[kRiffEntry].bytes == "RIFF";
}
static_assert(GroupsHoldTheirRanges());

}  // namespace miwake
