#include "support/scratch_folder_win32.h"

#include <stdexcept>

#include "common/win32_handle.h"

namespace miwake::testing {
namespace {

void RemoveTree(const std::string& folder) {
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

}  // namespace

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH + 1];
  const DWORD len = ::GetTempPathA(sizeof temp, temp);
  if (len == 0 || len > MAX_PATH) throw std::runtime_error("no temporary folder");
  for (unsigned n = ::GetTickCount();; ++n) {
    path_ = std::string(temp) + "miwake-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(n) + "\\";
    if (::CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make " + path_);
  }
}

ScratchFolder::~ScratchFolder() {
  RemoveTree(path_);
}

std::string ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string full = path_ + name;
  const FileHandle file(::CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file || !::WriteFile(file.get(), bytes.data(), bytes.size(), &written, nullptr) ||
      written != bytes.size())
    throw std::runtime_error("cannot write " + full);
  return full;
}

std::string ScratchFolder::MakeFolder(const std::string& name) const {
  const std::string full = path_ + name;
  if (!::CreateDirectoryA(full.c_str(), nullptr)) throw std::runtime_error("cannot make " + full);
  return full;
}

}  // namespace miwake::testing
