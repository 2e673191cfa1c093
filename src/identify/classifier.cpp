#include "identify/classifier.h"

#include <array>
#include <cstring>

#include "identify/kinds.h"

namespace miwake {
namespace {

bool MatchesAt(std::span<const std::uint8_t> block, const Signature& sig) {
  // Bytes past those read are no file data and must not match.
  return sig.offset() + sig.bytes.size() <= block.size() &&
         std::memcmp(block.data() + sig.offset(), sig.bytes.data(), sig.bytes.size()) == 0;
}

std::size_t CountTextBytes(std::span<const std::uint8_t> block) {
  // Counting 64 bytes at a time in an 8-bit sum lets the compiler use wide
  // instructions; byte by byte it does not, and this is a third of the work.
  const std::uint8_t* data = block.data();
  const std::size_t n = block.size();
  std::size_t text = 0, i = 0;
  for (; i + 64 <= n; i += 64) {
    std::uint8_t part = 0;
    for (std::size_t k = 0; k < 64; ++k) part += IsTextByte(data[i + k]) ? 1 : 0;
    text += part;
  }
  for (; i < n; ++i) text += IsTextByte(data[i]) ? 1 : 0;
  return text;
}

// Later entries of this order overwrite earlier ones: a RIFF form beats
// everything, a primary entry beats an application name, and of two primary
// entries the higher index wins.
constexpr auto kDecisionOrder = [] {
  std::array<int, (kLastAppName - kFirstAppName + 1) + (kLastPrimary - kFirstPrimary + 1) +
                      (kLastRiffForm - kFirstRiffForm + 1)>
      order{};
  std::size_t k = 0;
  for (int i = kFirstAppName; i <= kLastAppName; ++i) order[k++] = i;
  for (int i = kFirstPrimary; i <= kLastPrimary; ++i) order[k++] = i;
  for (int i = kFirstRiffForm; i <= kLastRiffForm; ++i) order[k++] = i;
  return order;
}();

// The entry whose code a binary file gets, or -1 for "other".
int DecidingEntry(const FirstBlock& block, const AppNameFlags& names) {
  auto matched = block.matched;
  for (std::size_t i = 0; i < names.size(); ++i) matched[kFirstAppName + i] = names[i];
  int decided = -1;
  for (int entry : kDecisionOrder)
    if (matched[entry]) decided = entry;
  return decided;
}

bool NotQuiteAllText(const FirstBlock& block) {
  // Integer form of "fraction below 0.999".
  return 1000 * block.text < 999 * block.size;
}

std::string Printable(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

void FillReasons(const FirstBlock& block, const AppNameFlags& names,
                 const AppNamePositions& positions, KindReasons& why) {
  why.block_size = block.size;
  why.text_bytes = block.text;
  int entry = -1;
  if (block.IsText()) {
    if (NotQuiteAllText(block) && block.matched[kBitmapEntry]) entry = kBitmapEntry;
  } else if (block.size > 0) {
    entry = DecidingEntry(block, names);
  }
  if (entry < 0) return;
  if (entry >= kFirstAppName) {
    why.app_name = kSignatures[entry].bytes;
    why.app_name_offset = positions[entry - kFirstAppName];
    entry = kCompoundEntry;
  }
  why.signature = Printable(kSignatures[entry].bytes);
  why.signature_offset = kSignatures[entry].offset();
}

}  // namespace

bool FirstBlock::NeedsNameSearch() const {
  return matched[kCompoundEntry] && !matched[kWord6Entry] && !matched[kExcel5Entry] && size > 0 &&
         !IsText();
}

FirstBlock AnalyzeFirstBlock(std::span<const std::uint8_t> bytes) {
  FirstBlock block;
  bytes = bytes.first(std::min(bytes.size(), kFirstBlockSize));
  block.size = bytes.size();
  block.text = CountTextBytes(bytes);
  for (int i = 0; i <= kCompoundEntry; ++i) block.matched[i] = MatchesAt(bytes, kSignatures[i]);
  if (block.matched[kRiffEntry])
    for (int i = kFirstRiffForm; i <= kLastRiffForm; ++i)
      block.matched[i] = MatchesAt(bytes, kSignatures[i]);
  return block;
}

int DecideKind(const FirstBlock& block, const AppNameFlags& names) {
  if (block.size == 0) return kEmptyFileKind;
  if (block.IsText())
    return NotQuiteAllText(block) && block.matched[kBitmapEntry] ? kKindBitmap : kKindText;
  const int entry = DecidingEntry(block, names);
  return entry < 0 ? kKindOther : kSignatures[entry].code;
}

int Classifier::Classify(std::unique_ptr<OpenFile> file, const std::string& name, KindReasons* why,
                         OtherContent* other) {
  if (why != nullptr) *why = {};
  if (!file) return kKindUnreadable;
  std::array<std::uint8_t, kFirstBlockSize> bytes;
  const auto got = file->Read(bytes);
  if (!got) return kKindUnreadable;
  const FirstBlock block = AnalyzeFirstBlock(std::span(bytes).first(*got));
  AppNameFlags names;
  AppNamePositions positions{};
  if (block.NeedsNameSearch()) {
    // The search seeks to where the names may stand, in the file still open.
    const auto found = SearchApplicationNames(*file, why ? &positions : nullptr);
    if (!found) return kKindUnreadable;
    names = *found;
  }
  const int code = DecideKind(block, names);
  if ((code == kKindOther || code == kKindText) && other != nullptr)
    other->Look(code, std::span(bytes).first(*got), *file);
  if (!file->Close()) return kKindUnreadable;
  if (why != nullptr) FillReasons(block, names, positions, *why);
  if (code != kKindExecutable) return code;
  if (why != nullptr) why->original_filename = refiner_.OriginalFilename(name);
  return refiner_.Refine(name, code);
}

}  // namespace miwake
