// The listing of one folder: the small port under the folder walk.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace miwake {

enum class ListedType {
  kFile,    // a regular file
  kFolder,  // a real folder
  kLink,    // a symbolic link, junction or other reparse point: never followed
  kOther,   // a pipe, a device, a socket
};

struct ListedEntry {
  std::string name;  // the leaf, bytes as the system gives them (WTF-8 on Windows)
  ListedType type;
  // Windows' attributes; never set on POSIX systems.
  bool hidden = false, system = false;
};

// Equal for two names exactly when they stand for the same file or folder,
// however each was reached: the device and inode (POSIX), or the full name
// with its letters in capitals (Windows).
using FileKey = std::string;

// A listed folder kept, so that its files and folders are opened without the
// system going through the whole path again, and whatever its length. Used
// from several threads.
class KeptFolder {
 public:
  virtual ~KeptFolder() = default;
  // Opens a file that the listing gave as a regular file, by its
  // zero-terminated leaf, for classification; null when it cannot. The
  // listing's type may be trusted, so long as no pipe is ever read.
  virtual std::unique_ptr<OpenFile> OpenForClassify(const char* leaf) const = 0;
  // As FileSystem::TypeOf, for a leaf of the folder.
  virtual EntryType TypeOf(const char* leaf) const = 0;
  // The key of a leaf of the folder, of a link itself; none when it cannot
  // be looked at.
  virtual std::optional<FileKey> KeyOf(const char* leaf) const = 0;
};

// A folder that the walk entered.
struct EnteredFolder {
  std::vector<ListedEntry> entries;  // "." and ".." left out, in no particular order
  std::optional<FileKey> key;
  std::shared_ptr<const KeptFolder> kept;  // null: its names are used whole
};

class FolderLister {
 public:
  virtual ~FolderLister() = default;
  // Replaces `entries` with the folder's entries, "." and ".." left out, in
  // no particular order; false with the system's error code (as Windows
  // numbers them) in `error`.
  virtual bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) = 0;
  // As List, for the walk: a folder that the listing of `parent` gave is
  // entered through it by its leaf, which starts at `leaf` in `path`, and
  // never through a link put in its place; a folder given (no parent) by
  // `path`, links followed.
  virtual bool Enter(const std::string& path, std::size_t /*leaf*/,
                     const std::shared_ptr<const KeptFolder>& /*parent*/, EnteredFolder& folder,
                     int& error) {
    folder.key = KeyOf(path);
    folder.kept = nullptr;
    return List(path, folder.entries, error);
  }
  // The key of what a name stands for, links followed.
  virtual std::optional<FileKey> KeyOf(const std::string&) { return std::nullopt; }
};

// At most `kept_limit` folders (and a quarter of the descriptors the process
// may have) hold a descriptor of their own at a time, the walk's and those
// whose files wait to be classified; the others are opened again through
// their parents whenever needed.
std::unique_ptr<FolderLister> MakePlatformFolderLister(std::size_t kept_limit = 256);

// The file access that takes the names the listing gives: on Windows WTF-8,
// through the wide functions.
std::unique_ptr<FileSystem> MakeListedFileSystem();

}  // namespace miwake
