// Win32 file access. Classification opens for reading and writing with read
// and write sharing, so a file that another process holds without write
// sharing, or a running program, is refused (sharing violation).
#include <windows.h>

#include <algorithm>

#include "common/file_system_win32.h"

namespace miwake {
namespace {

class Win32OpenFile final : public OpenFile {
 public:
  explicit Win32OpenFile(FileHandle handle) : handle_(std::move(handle)) {}

  bool Seek(std::uint64_t position) override {
    LONG high = static_cast<LONG>(position >> 32);
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(handle_.get(), static_cast<LONG>(position & 0xFFFFFFFFu),
                                       &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
    std::size_t total = 0;
    while (total < into.size()) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(into.size() - total, 1u << 30));
      DWORD got = 0;
      if (!::ReadFile(handle_.get(), into.data() + total, want, &got, nullptr)) return std::nullopt;
      if (got == 0) break;
      total += got;
    }
    return total;
  }

  std::optional<bool> AtEnd() override {
    LONG high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(handle_.get(), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return std::nullopt;
    DWORD size_high = 0;
    const DWORD size_low = ::GetFileSize(handle_.get(), &size_high);
    if (size_low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return std::nullopt;
    const std::uint64_t position = (std::uint64_t{static_cast<DWORD>(high)} << 32) | low;
    const std::uint64_t size = (std::uint64_t{size_high} << 32) | size_low;
    return position >= size;
  }

  bool Close() override { return handle_.Close(); }

 private:
  FileHandle handle_;
};

HANDLE OpenExisting(const std::string& name, DWORD access, DWORD share) {
  return ::CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& name) override {
    // FindFirstFileA would take these as wildcards, yet no file name holds them.
    if (name.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAA data{};
    FindHandle find(::FindFirstFileA(name.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool FolderExists(const std::string& name) override {
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override {
    FileHandle handle(
        OpenExisting(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    // A file that may merely not be written (read-only attribute, no write
    // permission) is still read; a file in use stays refused.
    if (!handle && ::GetLastError() == ERROR_ACCESS_DENIED)
      handle = FileHandle(OpenExisting(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
    return WrapDiskFile(std::move(handle));
  }

  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    return WrapDiskFile(FileHandle(OpenExisting(name, GENERIC_READ, FILE_SHARE_READ)));
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return ::MoveFileA(from.c_str(), to.c_str()) != 0;
  }

  bool Delete(const std::string& name) override { return ::DeleteFileA(name.c_str()) != 0; }

  std::optional<FileIdentity> IdentityOf(const std::string& name) override {
    // Attributes only, sharing everything: a file in use is identified too.
    FileHandle handle(::CreateFileA(
        name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
    return IdentityOfHandle(handle);
  }

  int LastError() const override { return static_cast<int>(::GetLastError()); }

  EntryType TypeOf(const std::string& name) override {
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryType::kMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kFolder;
    // Opened for no access at all: that neither waits nor is refused for
    // sharing, and tells a disk file from a pipe or a device.
    FileHandle handle(::CreateFileA(name.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    if (handle && ::GetFileType(handle.get()) != FILE_TYPE_DISK) return EntryType::kOther;
    return EntryType::kRegularFile;
  }

  std::string FullName(const std::string& name) override {
    char full[MAX_PATH];
    const DWORD n = ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    return n == 0 || n >= MAX_PATH ? name : std::string(full, n);
  }
};

}  // namespace

std::unique_ptr<OpenFile> WrapDiskFile(FileHandle handle) {
  if (!handle) return nullptr;
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    handle.Close();
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return nullptr;
  }
  return std::make_unique<Win32OpenFile>(std::move(handle));
}

std::optional<FileIdentity> IdentityOfHandle(const FileHandle& handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  const auto join = [](DWORD high, DWORD low) { return std::uint64_t{high} << 32 | low; };
  // From 100 ns since 1601 to nanoseconds since 1970, wrapping as on POSIX.
  const std::uint64_t written =
      join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  return FileIdentity{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                      join(info.nFileSizeHigh, info.nFileSizeLow),
                      static_cast<std::int64_t>((written - 116444736000000000u) * 100u)};
}

std::unique_ptr<FileSystem> MakePlatformFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace miwake
