// A fresh folder under the system's temporary folder, removed with all that
// it holds when the test ends.
#pragma once

#include <windows.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "common/win32_handle.h"

namespace miwake::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH + 1];
    const DWORD len = ::GetTempPathA(sizeof temp, temp);
    if (len == 0 || len > MAX_PATH) throw std::runtime_error("no temporary folder");
    for (unsigned n = ::GetTickCount();; ++n) {
      path_ = std::string(temp) + "miwake-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(n) + "\\";
      if (::CreateDirectoryA(path_.c_str(), nullptr)) return;
      if (::GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make " + path_);
    }
  }
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's path with a trailing backslash.
  const std::string& path() const { return path_; }
  // Writes a file in the folder and returns its full name.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string full = path_ + name;
    if (!(std::ofstream(full, std::ios::binary) << bytes).flush())
      throw std::runtime_error("cannot write " + full);
    return full;
  }
  std::string MakeFolder(const std::string& name) const {
    const std::string full = path_ + name;
    if (!::CreateDirectoryA(full.c_str(), nullptr)) throw std::runtime_error("cannot make " + full);
    return full;
  }

 private:
  // Read-only files too, which DeleteFileA refuses until their attribute goes.
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data{};
    const FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.get(), &data)) {
      const std::string name = data.cFileName, full = folder + name;
      if (name == "." || name == "..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full + "\\");
      } else {
        ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(full.c_str());
      }
    }
    ::RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

}  // namespace miwake::testing
