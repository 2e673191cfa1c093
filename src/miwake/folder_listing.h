// The listing of one folder: the small port under the folder walk.
#pragma once

#include <memory>
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
  std::string name;  // the leaf, bytes as the system gives them
  ListedType type;
};

// A listed folder kept open, so that its files are opened without the
// system going through the whole path again. Used from several threads.
class KeptFolder {
 public:
  virtual ~KeptFolder() = default;
  // Opens a file that the listing gave as a regular file, by its
  // zero-terminated leaf, for classification; null when it cannot. The
  // listing's type may be trusted, so long as no pipe is ever read.
  virtual std::unique_ptr<OpenFile> OpenForClassify(const char* leaf) const = 0;
};

class FolderLister {
 public:
  virtual ~FolderLister() = default;
  // Replaces `entries` with the folder's entries, "." and ".." left out, in
  // no particular order; false with the system's error code (as Windows
  // numbers them) in `error`.
  virtual bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) = 0;
  // As List, and the folder kept open in `kept`; null where the system
  // cannot keep it, and its files are opened by their whole names.
  virtual bool ListAndKeep(const std::string& folder, std::vector<ListedEntry>& entries, int& error,
                           std::shared_ptr<const KeptFolder>& kept) {
    kept = nullptr;
    return List(folder, entries, error);
  }
};

std::unique_ptr<FolderLister> MakePlatformFolderLister();

}  // namespace miwake
