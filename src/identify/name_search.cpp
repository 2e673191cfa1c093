#include "identify/name_search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

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

constexpr std::size_t Shortest() {
  std::size_t shortest = kNames[0].bytes.size();
  for (const Signature& name : kNames) shortest = std::min(shortest, name.bytes.size());
  return shortest;
}

// Only every kStride-th position is looked at: a name standing at p covers
// the next sample s (p <= s < p + kStride) together with s + 1, so the byte
// pair at s is one of the first kStride pairs of some name. Pairs outside
// that small set rule out every start up to s at once.
constexpr std::size_t kStride = Shortest() - 1;
// The last sample that owns a candidate lies less than kStride past it, so
// its pair is within the overlap that follows the candidates.
static_assert(kStride >= 1 && kStride <= kOverlap);

constexpr unsigned PairAt(const std::uint8_t* at) {
  return at[0] | (unsigned{at[1]} << 8);
}

// Fourteen bits of a pair keep the table at 16 KiB, well inside the first
// level cache; the few more false alarms cost less than cache misses would.
constexpr unsigned kPairMask = 0x3FFF;
constexpr auto kNamePairs = [] {
  std::array<bool, kPairMask + 1> pairs{};
  for (const Signature& name : kNames)
    for (std::size_t j = 0; j < kStride; ++j) {
      const unsigned pair = static_cast<unsigned char>(name.bytes[j]) |
                            (unsigned{static_cast<unsigned char>(name.bytes[j + 1])} << 8);
      pairs[pair & kPairMask] = true;
    }
  return pairs;
}();

// 0 or 1, so that several can be joined without branches.
unsigned MayCoverName(const std::uint8_t* at) {
  return kNamePairs[PairAt(at) & kPairMask] ? 1u : 0u;
}

// Spares the comparisons at a false alarm's places where no name can start.
constexpr auto kNameFirstBytes = [] {
  std::array<bool, 256> first{};
  for (const Signature& name : kNames) first[static_cast<unsigned char>(name.bytes[0])] = true;
  return first;
}();

// Earliest candidate owned by `sample`, (sample - kStride, sample] below
// `to`, at which a name stands; `to` when none does.
std::size_t FirstHitOwnedBy(const std::uint8_t* data, std::size_t sample, std::size_t to) {
  const std::size_t last = std::min(sample + 1, to);
  for (std::size_t pos = sample + 1 >= kStride ? sample + 1 - kStride : 0; pos < last; ++pos)
    if (kNameFirstBytes[data[pos]] &&
        std::any_of(kNames.begin(), kNames.end(),
                    [&](const Signature& name) { return MatchesAt(data, pos, name); }))
      return pos;
  return to;
}

// Earliest candidate start in [0, to) at which any name stands, or `to`.
// Owners are visited in the candidates' order, so the first match found is
// the earliest.
std::size_t FirstHit(const std::uint8_t* data, std::size_t to) {
  const std::size_t end = to + kStride - 1;
  std::size_t s = 0;
  // Four samples per branch: almost every group is ruled out as a whole.
  for (; s + 3 * kStride < end; s += 4 * kStride) {
    const std::uint8_t* at = data + s;
    if (!(MayCoverName(at) | MayCoverName(at + kStride) | MayCoverName(at + 2 * kStride) |
          MayCoverName(at + 3 * kStride)))
      continue;
    for (std::size_t sample = s; sample < s + 4 * kStride; sample += kStride) {
      if (!MayCoverName(data + sample)) continue;
      const std::size_t hit = FirstHitOwnedBy(data, sample, to);
      if (hit < to) return hit;
    }
  }
  for (; s < end; s += kStride) {
    if (!MayCoverName(data + s)) continue;
    const std::size_t hit = FirstHitOwnedBy(data, s, to);
    if (hit < to) return hit;
  }
  return to;
}

}  // namespace

std::optional<AppNameFlags> SearchApplicationNames(OpenFile& file) {
  return SearchApplicationNames(file, nullptr);
}

std::optional<AppNameFlags> SearchApplicationNames(OpenFile& file, AppNamePositions* where) {
  // Left unset: most compound files are small, and clearing the whole
  // buffer would cost more than reading them.
  const auto storage = std::make_unique_for_overwrite<std::uint8_t[]>(kReadSize);
  const std::span<std::uint8_t> buffer(storage.get(), kReadSize);
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
        for (std::size_t i = 0; i < kNames.size(); ++i) {
          const std::size_t at = Find(buffer.data(), block_begin, block_end, kNames[i]);
          found[i] = at < block_end;
          if (where != nullptr) (*where)[i] = found[i] ? start + at : 0;
        }
        return found;
      }
    }
    const auto at_end = file.AtEnd();
    if (!at_end) return std::nullopt;
    if (*at_end || n < kReadSize) return found;
  }
}

}  // namespace miwake
