// File access as the engine and the commands need it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace miwake {

// A file opened for classification. Every operation reports failure instead
// of throwing; the classifier turns any failure into the code -1.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  // Moves to a position counted from the start; past the end is allowed.
  virtual bool Seek(std::uint64_t position) = 0;
  // Reads up to into.size() bytes; fewer only at the end of the file.
  virtual std::optional<std::size_t> Read(std::span<std::uint8_t> into) = 0;
  // Whether the current position is at or past the file's size.
  virtual std::optional<bool> AtEnd() = 0;
  // Closes the file; the destructor closes it quietly when this was not called.
  virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing file for classification, or returns null.
  virtual std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) = 0;
  // Whether the name names an existing file (not a folder).
  virtual bool FileExists(const std::string& name) = 0;
};

// The file system of the platform the program was built for.
std::unique_ptr<FileSystem> MakePlatformFileSystem();

}  // namespace miwake
