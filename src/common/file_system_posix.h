// What the POSIX implementations of the file interfaces share.
#pragma once

#include <functional>
#include <memory>

#include "common/file_system.h"

namespace miwake {

// The Windows code of an errno value, for the texts the user reads.
int WindowsErrorCode(int error);

// Opens a regular file for reading by its name from the folder `folder` (a
// descriptor, or AT_FDCWD for the current folder); null, with errno set, when
// it cannot be opened or is no regular file (EINVAL).
std::unique_ptr<OpenFile> OpenRegularFileAt(int folder, const char* name);

// The same for a name that a listing of the folder gave as a regular file,
// without a check of its own. Should another kind of file have taken the
// name since, a pipe is never read (its reads fail), nor is a folder; only a
// device made there meanwhile, which takes the rights to make one, would be.
std::unique_ptr<OpenFile> OpenListedFileAt(int folder, const char* name);

// For tests of what a file system without the no-replace rename (NFS, where
// it fails with EINVAL) leaves behind: `fallback` takes that way on any file
// system, and `linked` runs between its link and its unlink (a throw there
// stops it as a kill would).
struct RenameSeam {
  bool fallback = false;
  std::function<void()> linked;
};
std::unique_ptr<FileSystem> MakePosixFileSystem(RenameSeam seam);

}  // namespace miwake
