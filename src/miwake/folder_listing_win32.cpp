#include <windows.h>

#include "common/text.h"
#include "common/win32_handle.h"
#include "miwake/folder_listing.h"

namespace miwake {
namespace {

ListedType TypeOf(DWORD attributes) {
  // A junction or a link to a folder carries the folder attribute too.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return ListedType::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ListedType::kFolder;
  return attributes & FILE_ATTRIBUTE_DEVICE ? ListedType::kOther : ListedType::kFile;
}

class Win32FolderLister final : public FolderLister {
 public:
  bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) override {
    entries.clear();
    std::string pattern = folder;
    if (!pattern.empty() && LastDelimiterEnd(pattern, "\\/:", nullptr) != pattern.size())
      pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA data{};
    FindHandle find(::FindFirstFileA(pattern.c_str(), &data));
    if (!find) {
      error = static_cast<int>(::GetLastError());
      // An empty folder has no entry at all, not even "." at a drive's root.
      return error == ERROR_FILE_NOT_FOUND && FolderExists(folder);
    }
    do {
      const std::string_view name = data.cFileName;
      if (name == "." || name == "..") continue;
      entries.push_back({std::string(name), TypeOf(data.dwFileAttributes)});
    } while (::FindNextFileA(find.get(), &data));
    error = static_cast<int>(::GetLastError());
    return error == ERROR_NO_MORE_FILES;
  }

  // By name: the file index that a handle would give is not sure to be
  // unique (on ReFS; under Wine, where one drive may hold several Unix file
  // systems), and a name not known for the same only costs a second visit.
  // The system compares names without case.
  std::optional<FileKey> KeyOf(const std::string& name) override {
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    FileKey key(full, length);
    // "dup\" is "dup", but "C:\" stays a root.
    if (key.size() > 3 && LastDelimiterEnd(key, "\\", nullptr) == key.size()) key.pop_back();
    ::CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
  }

 private:
  static bool FolderExists(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
};

}  // namespace

std::unique_ptr<FolderLister> MakePlatformFolderLister(std::size_t) {
  return std::make_unique<Win32FolderLister>();
}

}  // namespace miwake
