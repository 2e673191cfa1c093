// File access as the engine, the commands and the settings need it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace miwake {

// An open file. Every operation reports failure instead of throwing.
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

// What a name stands for, looked at without opening it.
enum class EntryType { kMissing, kRegularFile, kFolder, kOther };

// What tells a file from any other: equal while it is the same file,
// unchanged. A rename keeps every part.
struct FileIdentity {
  std::uint64_t device = 0;  // on Windows the volume's serial number
  std::uint64_t file = 0;    // the inode; on Windows the file index
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since 1970, modulo 2^64
  bool operator==(const FileIdentity&) const = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Whether the name names an existing file (not a folder).
  virtual bool FileExists(const std::string& name) = 0;
  virtual bool FolderExists(const std::string& name) = 0;
  // Opens an existing file for classification, or returns null.
  virtual std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) = 0;
  // Opens an existing file for reading only, others may read it meanwhile.
  virtual std::unique_ptr<OpenFile> OpenForReading(const std::string& name) = 0;
  // Never replaces an existing file: false when `to` exists.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Delete(const std::string& name) = 0;
  // Of the name itself: a symbolic link is not followed.
  virtual std::optional<FileIdentity> IdentityOf(const std::string& name) = 0;
  // The system error code of the latest failed operation, as Windows numbers
  // them (2 file not found, 5 access denied, ...).
  virtual int LastError() const = 0;
  // Symbolic links are followed. kOther (a pipe, a device, a socket) must not
  // be opened: reading one may wait for ever. Ports that only know files and
  // folders need not override it.
  virtual EntryType TypeOf(const std::string& name) {
    if (FolderExists(name)) return EntryType::kFolder;
    return FileExists(name) ? EntryType::kRegularFile : EntryType::kMissing;
  }
  // The name from the root, so that it still holds from another current
  // folder; the name itself when the system cannot tell.
  virtual std::string FullName(const std::string& name) { return name; }
};

// The file system of the platform the program was built for.
std::unique_ptr<FileSystem> MakePlatformFileSystem();

}  // namespace miwake
