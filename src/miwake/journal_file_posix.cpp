#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/file_system_posix.h"
#include "common/unique_fd_posix.h"
#include "miwake/journal_file.h"
#include "miwake/messages.h"

namespace miwake {
namespace {

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
  UniqueFd fd_;
};

}  // namespace

std::unique_ptr<JournalFile> CreateJournalFile(const std::string& path, std::string_view header,
                                               std::string& error, bool& taken) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    taken = errno == EEXIST;
    error = CauseText(WindowsErrorCode(errno));
    return nullptr;
  }
  auto file = std::make_unique<PosixJournalFile>(fd);
  if (!file->Append(header)) {
    error = CauseText(WindowsErrorCode(errno));
    return nullptr;
  }
  // The journal's own name must outlive a crash as well as its lines (where
  // the file system can sync a folder at all).
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const UniqueFd dir(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || (::fsync(dir.get()) != 0 && errno != EINVAL)) {
    error = CauseText(WindowsErrorCode(errno));
    return nullptr;
  }
  return file;
}

unsigned long ProcessId() {
  return static_cast<unsigned long>(::getpid());
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  return local;
}

}  // namespace miwake
