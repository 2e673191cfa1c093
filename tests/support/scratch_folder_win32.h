// A fresh folder under the system's temporary folder, removed with all that
// it holds when the test ends.
#pragma once

#include <windows.h>

#include <string>

namespace miwake::testing {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's path with a trailing backslash.
  const std::string& path() const { return path_; }
  // Writes a file in the folder and returns its full name.
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string MakeFolder(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace miwake::testing
