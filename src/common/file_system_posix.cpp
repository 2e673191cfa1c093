// POSIX file access for the native build. Files are opened for reading only:
// POSIX has no sharing modes, so asking for write access would only refuse
// files the user may read but not write.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <limits>
#include <string_view>
#include <utility>

#include "common/file_system.h"
#include "common/file_system_posix.h"

namespace miwake {
namespace {

// Reads with pread at a position of its own: a seek is no system call, and
// a pipe, which has no positions, is never read (ESPIPE).
class PosixOpenFile final : public OpenFile {
 public:
  explicit PosixOpenFile(int fd) : fd_(fd) {}
  ~PosixOpenFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixOpenFile(const PosixOpenFile&) = delete;
  PosixOpenFile& operator=(const PosixOpenFile&) = delete;

  bool Seek(std::uint64_t position) override {
    if (position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
    position_ = static_cast<off_t>(position);
    return true;
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
    // A read of a regular file stops short only at its end: another read
    // would only say so.
    for (;;) {
      const ssize_t got = ::pread(fd_, into.data(), into.size(), position_);
      if (got >= 0) {
        position_ += got;
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) return std::nullopt;
    }
  }

  std::optional<bool> AtEnd() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return position_ >= st.st_size;
  }

  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
  off_t position_ = 0;
};

int OpenForRead(int folder, const char* name) {
  // Without O_NONBLOCK a pipe with no writer would hold the open for ever;
  // a name checked before may have become one since.
  return ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

}  // namespace

std::unique_ptr<OpenFile> OpenRegularFileAt(int folder, const char* name) {
  const int fd = OpenForRead(folder, name);
  if (fd < 0) return nullptr;
  auto file = std::make_unique<PosixOpenFile>(fd);
  struct stat st {};
  const bool stated = ::fstat(fd, &st) == 0;
  if (stated && S_ISREG(st.st_mode)) return file;
  const int error = stated ? EINVAL : errno;
  file.reset();
  errno = error;
  return nullptr;
}

std::unique_ptr<OpenFile> OpenListedFileAt(int folder, const char* name) {
  const int fd = OpenForRead(folder, name);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOpenFile>(fd);
}

int WindowsErrorCode(int error) {
  switch (error) {
    case ENOENT:
      return 2;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EISDIR:  // as Windows refuses a folder where a file is wanted
      return 5;
    case EROFS:
      return 19;  // ERROR_WRITE_PROTECT
    case ENOSPC:
      return 112;  // ERROR_DISK_FULL
    case EEXIST:
      return 183;  // ERROR_ALREADY_EXISTS
    case EFBIG:
      return 223;  // ERROR_FILE_TOO_LARGE
    case ENAMETOOLONG:
      return 206;  // ERROR_FILENAME_EXCED_RANGE
    case ENOTDIR:
      return 267;  // ERROR_DIRECTORY
    case ELOOP:
      return 1921;  // ERROR_CANT_RESOLVE_FILENAME
    default:
      return 1000 + error;
  }
}

namespace {

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(RenameSeam seam) : seam_(std::move(seam)) {}

  bool FileExists(const std::string& name) override {
    struct stat st {};
    return Check(!name.empty() && ::stat(name.c_str(), &st) == 0) && !S_ISDIR(st.st_mode);
  }

  bool FolderExists(const std::string& name) override {
    struct stat st {};
    return Check(!name.empty() && ::stat(name.c_str(), &st) == 0) && S_ISDIR(st.st_mode);
  }

  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override {
    return OpenForReading(name);
  }

  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    auto file = OpenRegularFileAt(AT_FDCWD, name.c_str());
    Check(file != nullptr);
    return file;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    if (!seam_.fallback) {
      if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
      if (errno != EINVAL && errno != ENOSYS) return Check(false);
    }
    // File systems without the no-replace rename: a hard link fails on an
    // existing name just as well. The file must not stay under both names
    // (killed in between, it does: undo takes the new name away).
    if (!Check(::link(from.c_str(), to.c_str()) == 0)) return false;
    if (seam_.linked) seam_.linked();
    if (Check(::unlink(from.c_str()) == 0)) return true;
    ::unlink(to.c_str());
    return false;
  }

  bool Delete(const std::string& name) override { return Check(::unlink(name.c_str()) == 0); }

  std::optional<FileIdentity> IdentityOf(const std::string& name) override {
    struct stat st {};
    if (!Check(!name.empty() && ::lstat(name.c_str(), &st) == 0)) return std::nullopt;
    // Unsigned, so that a time past 2262 wraps rather than overflows.
    const auto seconds = static_cast<std::uint64_t>(st.st_mtim.tv_sec);
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::uint64_t>(st.st_size),
                        static_cast<std::int64_t>(seconds * 1000000000u +
                                                  static_cast<std::uint64_t>(st.st_mtim.tv_nsec))};
  }

  int LastError() const override { return WindowsErrorCode(last_errno_); }

  EntryType TypeOf(const std::string& name) override {
    struct stat st {};
    if (!Check(!name.empty() && ::stat(name.c_str(), &st) == 0)) return EntryType::kMissing;
    if (S_ISREG(st.st_mode)) return EntryType::kRegularFile;
    return S_ISDIR(st.st_mode) ? EntryType::kFolder : EntryType::kOther;
  }

  std::string FullName(const std::string& name) override {
    if (name.empty() || name.front() == '/') return name;
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return name;
    // Lexically, so that the same file has one full name however it was
    // reached: "." steps and doubled slashes are dropped.
    std::string full = cwd;
    std::size_t at = 0;
    while (at < name.size()) {
      std::size_t end = name.find('/', at);
      if (end == std::string::npos) end = name.size();
      const std::string_view step(name.data() + at, end - at);
      if (!step.empty() && step != ".") {
        if (full.back() != '/') full += '/';
        full += step;
      }
      at = end + 1;
    }
    return full;
  }

 private:
  bool Check(bool ok) {
    if (!ok) last_errno_ = errno;
    return ok;
  }
  int last_errno_ = 0;
  RenameSeam seam_;
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem(RenameSeam seam) {
  return std::make_unique<PosixFileSystem>(std::move(seam));
}

std::unique_ptr<FileSystem> MakePlatformFileSystem() {
  return MakePosixFileSystem({});
}

}  // namespace miwake
