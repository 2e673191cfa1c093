// The listing of one folder: the small port under the folder walk.
#pragma once

#include <memory>
#include <string>
#include <vector>

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

class FolderLister {
 public:
  virtual ~FolderLister() = default;
  // Replaces `entries` with the folder's entries, "." and ".." left out, in
  // no particular order; false with the system's error code (as Windows
  // numbers them) in `error`.
  virtual bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) = 0;
};

std::unique_ptr<FolderLister> MakePlatformFolderLister();

}  // namespace miwake
