// The wide-character file access of miwake on Windows. Classification
// opens as the main window does (reading and writing, with read and write
// sharing), so a file in use is refused the same way.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>

#include "common/file_system_win32.h"
#include "common/text.h"
#include "identify/pe_version.h"
#include "miwake/file_version.h"
#include "miwake/wide_files_win32.h"
#include "miwake/windows_names.h"

namespace miwake {
namespace {

struct LocalFreer {
  void operator()(void* memory) const { ::LocalFree(memory); }
};

std::string CurrentFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (n < folder.size()) return Wtf8FromWide(std::wstring_view(folder.data(), n));
    folder.resize(n);
  }
}

FileHandle OpenExisting(const std::wstring& path, DWORD access, DWORD share, DWORD flags = 0) {
  return FileHandle(
      ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

bool HasWildcard(std::string_view name) {
  if (name.starts_with("\\\\?\\")) name.remove_prefix(4);
  return name.find_first_of("*?") != std::string_view::npos;
}

class WideFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& name) override {
    return TypeOf(name) == EntryType::kRegularFile;
  }

  bool FolderExists(const std::string& name) override {
    return Attributes(name) != INVALID_FILE_ATTRIBUTES &&
           (Attributes(name) & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override {
    const std::wstring path = SystemPath(name);
    FileHandle handle =
        OpenExisting(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    // A file that may merely not be written is still read; one in use stays refused.
    if (!handle && ::GetLastError() == ERROR_ACCESS_DENIED)
      handle = OpenExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    return WrapDiskFile(std::move(handle));
  }

  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    return WrapDiskFile(
        OpenExisting(SystemPath(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return ::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0) != 0;
  }

  bool Delete(const std::string& name) override {
    return ::DeleteFileW(SystemPath(name).c_str()) != 0;
  }

  std::optional<FileIdentity> IdentityOf(const std::string& name) override {
    // Attributes only, sharing everything: a file in use is identified too.
    const FileHandle handle =
        OpenExisting(SystemPath(name), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    return IdentityOfHandle(handle);
  }

  int LastError() const override { return static_cast<int>(::GetLastError()); }

  EntryType TypeOf(const std::string& name) override {
    const DWORD attributes = Attributes(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryType::kMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kFolder;
    // Opened for no access at all: that neither waits nor is refused for
    // sharing, and tells a disk file from a pipe or a device.
    const FileHandle handle =
        OpenExisting(SystemPath(name), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (handle && ::GetFileType(handle.get()) != FILE_TYPE_DISK) return EntryType::kOther;
    return EntryType::kRegularFile;
  }

  std::string FullName(const std::string& name) override { return WholeName(name); }

 private:
  static DWORD Attributes(const std::string& name) {
    // No file name holds them: only a pattern that matched nothing does.
    if (HasWildcard(name)) {
      ::SetLastError(ERROR_NO_MORE_FILES);
      return INVALID_FILE_ATTRIBUTES;
    }
    return ::GetFileAttributesW(SystemPath(name).c_str());
  }
};

// With WC_NO_BEST_FIT_CHARS, `exact` tells whether every character is the
// code page's own; without, characters get the system's nearest ones.
std::string Cp932(std::wstring_view text, DWORD flags, bool& exact) {
  exact = true;
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  BOOL defaulted = FALSE;
  const int n =
      ::WideCharToMultiByte(932, flags, text.data(), size, nullptr, 0, nullptr, &defaulted);
  std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
  ::WideCharToMultiByte(932, flags, text.data(), size, out.data(), n, nullptr, &defaulted);
  exact = n > 0 && !defaulted;
  return out;
}

}  // namespace

std::wstring WideFromWtf8(std::string_view text) {
  const std::u16string units = Utf16FromWtf8(text);
  return std::wstring(units.begin(), units.end());
}

std::string Wtf8FromWide(std::wstring_view text) {
  return Wtf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::string WholeName(std::string_view name) {
  return FullWindowsPath(CurrentFolder(), name);
}

std::wstring SystemPath(std::string_view name) {
  if (name.starts_with("\\\\?\\")) return WideFromWtf8(name);
  return WideFromWtf8(ExtendedWindowsPath(WholeName(name)));
}

std::unique_ptr<FileSystem> MakeWideFileSystem() {
  return std::make_unique<WideFileSystem>();
}

std::vector<std::string> ExpandWildcards(const std::string& pattern) {
  std::vector<std::string> names;
  if (!HasWildcard(pattern)) return names;
  const std::size_t leaf = LeafStart(pattern, NameStyle::kWindowsUtf8);
  // Only the last part is a pattern; the folder's part stays as it was given.
  if (HasWildcard(std::string_view(pattern).substr(0, leaf))) return names;
  WIN32_FIND_DATAW data{};
  const FindHandle find(::FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0));
  if (!find) return names;
  do {
    const std::wstring_view found = data.cFileName;
    if (found != L"." && found != L"..")
      names.push_back(pattern.substr(0, leaf) + Wtf8FromWide(found));
  } while (::FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

std::string CodePageName(std::string_view name) {
  return ShownInCodePage(name, [](std::u16string_view units) -> std::optional<std::string> {
    bool exact = false;
    std::string bytes =
        Cp932(std::wstring(units.begin(), units.end()), WC_NO_BEST_FIT_CHARS, exact);
    if (!exact) return std::nullopt;
    return bytes;
  });
}

std::vector<std::string> WideArguments() {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreer> args(::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::string> result;
  for (int i = 1; args && i < count; ++i) result.push_back(Wtf8FromWide(args.get()[i]));
  return result;
}

std::string OriginalFilenameOf(FileSystem& files, const std::string& name) {
  const std::string whole = WholeName(name);
  bool exact = false;
  const std::string ansi = Cp932(WideFromWtf8(whole), WC_NO_BEST_FIT_CHARS, exact);
  // The system's functions take plain names only: short, in the code page,
  // no part ending in a dot or a blank (they would strip it).
  bool plain = exact && ansi.size() < MAX_PATH;
  for (std::size_t end = 0; plain && end <= whole.size(); ++end)
    if (end == whole.size() || whole[end] == '\\')
      plain = end == 0 || (whole[end - 1] != '.' && whole[end - 1] != ' ');
  if (plain) return ReadOriginalFilename(ansi);
  const auto identity = files.IdentityOf(name);
  const auto file = files.OpenForReading(name);
  if (!identity || !file) return {};
  FileByteSource source(identity->size, [&](std::uint64_t at, std::span<std::uint8_t> out) {
    return file->Seek(at) ? file->Read(out).value_or(0) : std::size_t{0};
  });
  return OriginalFilenameFromPe(source, [](std::u16string_view text) {
    bool unused = false;
    return Cp932(std::wstring(text.begin(), text.end()), 0, unused);
  });
}

}  // namespace miwake
