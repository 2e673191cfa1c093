// The version resource read from the file's own bytes, where the system
// offers no version functions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/text.h"
#include "common/unique_fd_posix.h"
#include "identify/pe_version.h"
#include "identify/version_refiner.h"

namespace miwake {
namespace {

// A file's bytes through pread, the last page read kept: the headers and
// the resource directories that lead to the version block lie within a few
// pages, and each read is a system call.
class FileByteSource final : public ByteSource {
 public:
  FileByteSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

  std::uint64_t Size() const override { return size_; }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    const std::uint64_t page = offset / kPageSize * kPageSize;
    if (offset + out.size() > page + kPageSize) return Read(offset, out);
    if (page != page_at_ || page_size_ == 0) {
      page_at_ = page;
      page_size_ = Read(page, page_);
    }
    const std::size_t from = offset - page;
    const std::size_t n = from < page_size_ ? std::min(out.size(), page_size_ - from) : 0;
    std::memcpy(out.data(), page_.data() + from, n);
    return n;
  }

 private:
  static constexpr std::size_t kPageSize = 4096;

  // A failed read counts as the end.
  std::size_t Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t total = 0;
    while (total < out.size()) {
      const ssize_t got =
          ::pread(fd_, out.data() + total, out.size() - total, static_cast<off_t>(offset + total));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      total += static_cast<std::size_t>(got);
    }
    return total;
  }

  int fd_;
  std::uint64_t size_;
  std::array<std::uint8_t, kPageSize> page_;
  std::uint64_t page_at_ = 0;
  std::size_t page_size_ = 0;
};

}  // namespace

std::string ReadOriginalFilename(const std::string& name) {
  if (name.empty()) return {};
  // Never waits on a pipe, and reads nothing but a regular file.
  const UniqueFd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  FileByteSource source(fd.get(), static_cast<std::uint64_t>(st.st_size));
  return OriginalFilenameFromPe(source);
}

}  // namespace miwake
