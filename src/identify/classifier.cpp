#include "identify/classifier.h"

#include <array>
#include <bitset>
#include <cstring>

#include "identify/kinds.h"
#include "identify/name_search.h"
#include "identify/signatures.h"

namespace miwake {
namespace {

constexpr std::size_t kFirstBlockSize = 2500;

using MatchFlags = std::bitset<kSignatureCount>;

bool MatchesAt(const std::uint8_t* data, std::size_t n, const Signature& sig) {
  // Bytes past those read are no file data and must not match.
  return sig.offset() + sig.bytes.size() <= n &&
         std::memcmp(data + sig.offset(), sig.bytes.data(), sig.bytes.size()) == 0;
}

std::size_t CountTextBytes(const std::uint8_t* data, std::size_t n) {
  // Counting 64 bytes at a time in an 8-bit sum lets the compiler use wide
  // instructions; byte by byte it does not, and this is a third of the work.
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

int Decide(const MatchFlags& matched, std::size_t text, std::size_t n) {
  if (n == 0) return kEmptyFileKind;
  // Integer forms of "fraction above 0.95" and "below 0.999".
  if (20 * text > 19 * n) return (1000 * text < 999 * n && matched[kBitmapEntry]) ? 103 : kKindText;
  int code = kKindOther;
  for (int entry : kDecisionOrder)
    if (matched[entry]) code = kSignatures[entry].code;
  return code;
}

// Reads the first block and decides; empty on a failed file operation.
std::optional<int> Classify(const std::string& name, FileSystem& files) {
  std::array<std::uint8_t, kFirstBlockSize> block;
  std::size_t n = 0;
  {
    auto file = files.OpenForClassify(name);
    if (!file) return std::nullopt;
    const auto got = file->Read(block);
    if (!got || !file->Close()) return std::nullopt;
    n = *got;
  }
  const std::size_t text = CountTextBytes(block.data(), n);

  MatchFlags matched;
  for (int i = 0; i <= kCompoundEntry; ++i) matched[i] = MatchesAt(block.data(), n, kSignatures[i]);
  if (matched[kRiffEntry])
    for (int i = kFirstRiffForm; i <= kLastRiffForm; ++i)
      matched[i] = MatchesAt(block.data(), n, kSignatures[i]);

  const bool binary = n > 0 && 20 * text <= 19 * n;
  if (matched[kCompoundEntry] && !matched[kWord6Entry] && !matched[kExcel5Entry] && binary) {
    auto file = files.OpenForClassify(name);
    if (!file) return std::nullopt;
    const auto names = SearchApplicationNames(*file);
    if (!names || !file->Close()) return std::nullopt;
    for (std::size_t i = 0; i < names->size(); ++i) matched[kFirstAppName + i] = (*names)[i];
  }
  return Decide(matched, text, n);
}

}  // namespace

AnswerCache& TheAnswerCache() {
  static AnswerCache cache;
  return cache;
}

void ForgetLastFile() {
  TheAnswerCache().LastFileName.clear();
}

int IdentifyFile(const std::string& name, const ClassifierPorts& ports) {
  AnswerCache& cache = TheAnswerCache();
  if (name == cache.LastFileName && cache.LastKind >= 0) return cache.LastKind;

  struct CursorScope {
    BusyCursor& cursor;
    explicit CursorScope(BusyCursor& c) : cursor(c) { cursor.Begin(); }
    ~CursorScope() { cursor.End(); }
  } busy(ports.cursor);
  cache.LastFileName = name;
  // Until an answer is stored, the name must not count as classified.
  cache.LastKind = kKindUnreadable;
  int code = Classify(name, ports.files).value_or(kKindUnreadable);
  if (code == kKindExecutable) code = ports.refiner.Refine(name, code);
  cache.LastKind = code;
  return code;
}

}  // namespace miwake
