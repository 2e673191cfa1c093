#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "batch/journal_file.h"

namespace miwake {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

class PosixJournalFile final : public JournalFile {
 public:
  explicit PosixJournalFile(int fd) : fd_(fd) {}

  bool Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t wrote = ::write(fd_.get(), bytes.data(), bytes.size());
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return ::fsync(fd_.get()) == 0;
  }

 private:
  Descriptor fd_;
};

}  // namespace

std::unique_ptr<JournalFile> CreateJournalFile(const std::string& path, std::string_view header,
                                               std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  auto file = std::make_unique<PosixJournalFile>(fd);
  if (!file->Append(header)) {
    error = std::strerror(errno);
    return nullptr;
  }
  // The journal's own name must outlive a crash as well as its lines (where
  // the file system can sync a folder at all).
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const Descriptor dir(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || (::fsync(dir.get()) != 0 && errno != EINVAL)) {
    error = std::strerror(errno);
    return nullptr;
  }
  return file;
}

// FileSystem numbers its errors as Windows does; back to errno for the system's text.
std::string ErrorTextForStderr(int code) {
  switch (code) {
    case 2:
      return std::strerror(ENOENT);
    case 4:
      return std::strerror(EMFILE);
    case 5:
      return std::strerror(EACCES);
    case 112:
      return std::strerror(ENOSPC);
    case 183:
      return std::strerror(EEXIST);
    default:
      return std::strerror(code - 1000);
  }
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  return local;
}

}  // namespace miwake
