#include "identify/name_search.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace miwake {
namespace {

constexpr std::size_t kBlockSize = 2500;
constexpr auto kNames = std::span(kSignatures).subspan(kFirstAppName, AppNameFlags().size());

constexpr std::size_t SearchStart() {
  std::size_t start = kNames[0].offset();
  for (const Signature& name : kNames) start = std::min(start, name.offset());
  return start;
}
constexpr std::size_t Overlap() {
  std::size_t longest = 0;
  for (const Signature& name : kNames) longest = std::max(longest, name.bytes.size());
  return longest;
}
constexpr std::size_t kStart = SearchStart();
constexpr std::size_t kOverlap = Overlap();
// Each block offers its first kBlockSize - kOverlap bytes as candidate
// starts; the next block begins right after them. So the blocks' candidates
// partition the file, and many blocks can be read at once without changing
// which block holds the first hit.
constexpr std::size_t kStep = kBlockSize - kOverlap;
constexpr std::size_t kBlocksPerRead = 128;
constexpr std::size_t kReadSize = kStep * kBlocksPerRead + kOverlap;

bool MatchesAt(const std::uint8_t* data, std::size_t pos, const Signature& name) {
  return std::memcmp(data + pos, name.bytes.data(), name.bytes.size()) == 0;
}

// First candidate start in [from, to) at which `name` stands, or `to`.
std::size_t Find(const std::uint8_t* data, std::size_t from, std::size_t to,
                 const Signature& name) {
  const auto first = static_cast<unsigned char>(name.bytes[0]);
  while (from < to) {
    const void* hit = std::memchr(data + from, first, to - from);
    if (hit == nullptr) return to;
    const auto pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
    if (MatchesAt(data, pos, name)) return pos;
    from = pos + 1;
  }
  return to;
}

// Earliest candidate start in [0, to) at which any name stands, or `to`.
std::size_t FirstHit(const std::uint8_t* data, std::size_t to) {
  std::size_t best = to;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const auto first = static_cast<unsigned char>(kNames[i].bytes[0]);
    // Names that share a first byte were all tried at each of its places.
    bool seen = false;
    for (std::size_t k = 0; k < i; ++k) seen |= static_cast<unsigned char>(kNames[k].bytes[0]) == first;
    if (seen) continue;
    std::size_t from = 0;
    while (from < best) {
      const void* hit = std::memchr(data + from, first, best - from);
      if (hit == nullptr) break;
      const auto pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
      const bool any = std::any_of(kNames.begin(), kNames.end(), [&](const Signature& name) {
        return static_cast<unsigned char>(name.bytes[0]) == first && MatchesAt(data, pos, name);
      });
      if (any) {
        best = pos;
        break;
      }
      from = pos + 1;
    }
  }
  return best;
}

}  // namespace

std::optional<AppNameFlags> SearchApplicationNames(OpenFile& file) {
  std::vector<std::uint8_t> buffer(kReadSize);
  AppNameFlags found;
  for (std::uint64_t start = kStart;; start += kStep * kBlocksPerRead) {
    if (!file.Seek(start)) return std::nullopt;
    const auto got = file.Read(buffer);
    if (!got) return std::nullopt;
    const std::size_t n = *got;
    if (n > kOverlap) {
      const std::size_t candidates = n - kOverlap;
      const std::size_t hit = FirstHit(buffer.data(), candidates);
      if (hit < candidates) {
        const std::size_t block_begin = hit / kStep * kStep;
        const std::size_t block_end = std::min(block_begin + kStep, candidates);
        for (std::size_t i = 0; i < kNames.size(); ++i)
          found[i] = Find(buffer.data(), block_begin, block_end, kNames[i]) < block_end;
        return found;
      }
    }
    const auto at_end = file.AtEnd();
    if (!at_end) return std::nullopt;
    if (*at_end || n < kReadSize) return found;
  }
}

}  // namespace miwake
