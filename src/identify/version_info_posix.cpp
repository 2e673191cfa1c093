// The version resource read from the file's own bytes, where the system
// offers no version functions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/unique_fd_posix.h"
#include "identify/pe_version.h"
#include "identify/version_refiner.h"

namespace miwake {
namespace {

// A failed read counts as the end.
std::size_t PreadFully(int fd, std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t total = 0;
  while (total < out.size()) {
    const ssize_t got =
        ::pread(fd, out.data() + total, out.size() - total, static_cast<off_t>(offset + total));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    total += static_cast<std::size_t>(got);
  }
  return total;
}

}  // namespace

std::string ReadOriginalFilename(const std::string& name) {
  if (name.empty()) return {};
  // Never waits on a pipe, and reads nothing but a regular file.
  const UniqueFd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  FileByteSource source(static_cast<std::uint64_t>(st.st_size),
                        [fd = fd.get()](std::uint64_t offset, std::span<std::uint8_t> out) {
                          return PreadFully(fd, offset, out);
                        });
  return OriginalFilenameFromPe(source);
}

}  // namespace miwake
