// The files the benchmark measures, made by the benchmark itself so that every
// run on every machine sees the same bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace miwake::bench {

using Bytes = std::vector<std::uint8_t>;

// Same bytes on every platform and library, unlike the std distributions.
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint32_t Below(std::uint32_t bound) {
    return static_cast<std::uint32_t>((Next() >> 32) * bound >> 32);
  }
  std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
    return low + Below(high - low + 1);
  }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  void Fill(std::span<std::uint8_t> out) {
    std::size_t i = 0;
    for (; i + 8 <= out.size(); i += 8) {
      const std::uint64_t v = Next();
      std::memcpy(out.data() + i, &v, 8);
    }
    for (const std::uint64_t v = Next(); i < out.size(); ++i)
      out[i] = static_cast<std::uint8_t>(v >> (8 * (i % 8)));
  }

 private:
  std::uint64_t state_;
};

// A kind of file the generator makes, and the code the classifier should
// give it.
struct Family {
  const char* name;
  int expected_kind;
  std::size_t min_size;  // the least size its signature fits in
  Bytes (*make)(SplitMix64&, std::size_t);
};

// Throws std::invalid_argument for a name no family has.
const Family& FamilyNamed(std::string_view name);

struct CorpusFile {
  std::string path;
  int expected_kind;  // what the generator meant the file to be
  const char* family;
};

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the owner goes away or the process is interrupted.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // The full name of a file in the folder, registered for removal.
  std::string NewFile(const std::string& leaf);
  // Writes everything made so far to disk, so background write-back does
  // not disturb the timing.
  void Flush() const;

 private:
  std::string path_;
};

// Small files of the everyday kinds, ~100 B to ~16 KB, with distinct names.
std::vector<CorpusFile> WriteSmallFiles(TempFolder& folder, int count, std::uint64_t seed);

// A compound file of `size` bytes whose only application name lies about 100
// bytes before its end. Returns its name.
std::string WriteLargeCompoundFile(TempFolder& folder, std::uint64_t size, std::uint64_t seed);

// Writes a new file; an existing one is an error.
void WriteFile(const std::string& path, std::span<const std::uint8_t> data);

// Writes everything made so far on the file system that holds `path` to disk,
// so that background write-back does not disturb the timing.
void FlushFileSystemOf(const std::string& path);

// Reads the whole file once so that timing starts with a warm page cache.
bool ReadWholeFile(const std::string& path);

}  // namespace miwake::bench
