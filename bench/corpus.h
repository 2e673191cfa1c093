// The files the benchmark measures, made by the benchmark itself so that every
// run on every machine sees the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace miwake::bench {

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

// Reads the whole file once so that timing starts with a warm page cache.
bool ReadWholeFile(const std::string& path);

}  // namespace miwake::bench
