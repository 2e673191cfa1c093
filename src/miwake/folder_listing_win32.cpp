#include <windows.h>

#include "common/win32_handle.h"
#include "miwake/folder_listing.h"
#include "miwake/wide_files_win32.h"

namespace miwake {
namespace {

ListedType TypeOf(DWORD attributes) {
  // A junction or a link to a folder carries the folder attribute too.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return ListedType::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ListedType::kFolder;
  return attributes & FILE_ATTRIBUTE_DEVICE ? ListedType::kOther : ListedType::kFile;
}

class WideFolderLister final : public FolderLister {
 public:
  bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) override {
    entries.clear();
    std::wstring pattern = SystemPath(folder);
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    const FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
      error = static_cast<int>(::GetLastError());
      // An empty folder has no entry at all, not even "." at a drive's root.
      return error == ERROR_FILE_NOT_FOUND && IsFolder(folder);
    }
    do {
      const std::wstring_view name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const DWORD attributes = data.dwFileAttributes;
      entries.push_back({Wtf8FromWide(name), TypeOf(attributes),
                         (attributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                         (attributes & FILE_ATTRIBUTE_SYSTEM) != 0});
    } while (::FindNextFileW(find.get(), &data));
    error = static_cast<int>(::GetLastError());
    return error == ERROR_NO_MORE_FILES;
  }

  // By name: the file index that a handle would give is not sure to be
  // unique (on ReFS; under Wine, where one drive may hold several Unix file
  // systems), and a name not known for the same only costs a second visit.
  // The system compares names without case.
  std::optional<FileKey> KeyOf(const std::string& name) override {
    std::wstring key = WideFromWtf8(WholeName(name));
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return Wtf8FromWide(key);
  }

 private:
  static bool IsFolder(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
};

}  // namespace

std::unique_ptr<FolderLister> MakePlatformFolderLister(std::size_t) {
  return std::make_unique<WideFolderLister>();
}

std::unique_ptr<FileSystem> MakeListedFileSystem() {
  return MakeWideFileSystem();
}

}  // namespace miwake
