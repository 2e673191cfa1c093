#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "common/file_system_posix.h"
#include "common/unique_fd_posix.h"
#include "miwake/folder_listing.h"

namespace miwake {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Listing = std::unique_ptr<DIR, DirCloser>;

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

ListedType TypeOfMode(mode_t mode) {
  if (S_ISREG(mode)) return ListedType::kFile;
  if (S_ISDIR(mode)) return ListedType::kFolder;
  return S_ISLNK(mode) ? ListedType::kLink : ListedType::kOther;
}

FileKey KeyOf(const struct stat& st) {
  FileKey key(sizeof st.st_dev + sizeof st.st_ino, '\0');
  std::memcpy(key.data(), &st.st_dev, sizeof st.st_dev);
  std::memcpy(key.data() + sizeof st.st_dev, &st.st_ino, sizeof st.st_ino);
  return key;
}

// A folder with a descriptor of its own, or, once `held` has reached the
// lister's limit, none: it is then opened again by its name through its
// parent, or by its whole name when it was given, each time it is used.
class PosixKeptFolder final : public KeptFolder {
 public:
  PosixKeptFolder(UniqueFd fd, std::shared_ptr<std::atomic<std::size_t>> held,
                  std::shared_ptr<const PosixKeptFolder> parent, std::string name)
      : fd_(std::move(fd)),
        held_(std::move(held)),
        parent_(std::move(parent)),
        name_(std::move(name)) {
    if (fd_) ++*held_;
  }
  ~PosixKeptFolder() override {
    if (fd_) --*held_;
  }
  PosixKeptFolder(const PosixKeptFolder&) = delete;
  PosixKeptFolder& operator=(const PosixKeptFolder&) = delete;

  std::unique_ptr<OpenFile> OpenForClassify(const char* leaf) const override {
    UniqueFd again;
    const int fd = Descriptor(again);
    return fd < 0 ? nullptr : OpenListedFileAt(fd, leaf);
  }

  EntryType TypeOf(const char* leaf) const override {
    UniqueFd again;
    const int fd = Descriptor(again);
    struct stat st {};
    if (fd < 0 || ::fstatat(fd, leaf, &st, 0) != 0) return EntryType::kMissing;
    if (S_ISREG(st.st_mode)) return EntryType::kRegularFile;
    return S_ISDIR(st.st_mode) ? EntryType::kFolder : EntryType::kOther;
  }

  std::optional<FileKey> KeyOf(const char* leaf) const override {
    UniqueFd again;
    const int fd = Descriptor(again);
    struct stat st {};
    if (fd < 0 || ::fstatat(fd, leaf, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return miwake::KeyOf(st);
  }

  // The folder's descriptor, or one opened again into `again`; -1 with errno
  // set when it cannot be opened. Never more than two at a time, however far
  // the nearest folder that holds one is.
  int Descriptor(UniqueFd& again) const {
    if (fd_) return fd_.get();
    std::vector<const PosixKeptFolder*> way;  // the nearest first
    const PosixKeptFolder* at = this;
    for (; at != nullptr && !at->fd_; at = at->parent_.get()) way.push_back(at);
    int fd = at != nullptr ? at->fd_.get() : AT_FDCWD;
    for (auto step = way.rbegin(); step != way.rend(); ++step) {
      const int flags = (*step)->parent_ ? kFolderFlags | O_NOFOLLOW : kFolderFlags;
      UniqueFd next(::openat(fd, (*step)->name_.c_str(), flags));
      if (!next) return -1;
      again = std::move(next);
      fd = again.get();
    }
    return fd;
  }

 private:
  UniqueFd fd_;
  std::shared_ptr<std::atomic<std::size_t>> held_;
  std::shared_ptr<const PosixKeptFolder> parent_;  // only while it holds no descriptor
  std::string name_;  // the leaf in its parent, or the whole name given
};

class PosixFolderLister final : public FolderLister {
 public:
  explicit PosixFolderLister(std::size_t kept_limit) : kept_limit_(kept_limit) {}

  bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) override {
    const UniqueFd fd(::open(folder.c_str(), kFolderFlags));
    if (!fd) return error = WindowsErrorCode(errno), false;
    return ListFolder(fd.get(), entries, error);
  }

  bool Enter(const std::string& path, std::size_t leaf,
             const std::shared_ptr<const KeptFolder>& parent, EnteredFolder& folder,
             int& error) override {
    auto up = std::dynamic_pointer_cast<const PosixKeptFolder>(parent);
    std::string name = up ? path.substr(leaf) : path;
    UniqueFd fd, again;
    const int at = up ? up->Descriptor(again) : AT_FDCWD;
    if (up && at < 0) return error = WindowsErrorCode(errno), false;
    fd = UniqueFd(::openat(at, name.c_str(), up ? kFolderFlags | O_NOFOLLOW : kFolderFlags));
    if (!fd) return error = WindowsErrorCode(errno), false;
    again = UniqueFd();
    struct stat st {};
    folder.key = ::fstat(fd.get(), &st) == 0 ? std::optional(miwake::KeyOf(st)) : std::nullopt;
    if (!ListFolder(fd.get(), folder.entries, error)) return false;
    // Past the limit, the descriptor goes and the way back to it stays.
    if (*held_ >= kept_limit_) fd = UniqueFd();
    if (fd) up = nullptr;
    folder.kept = std::make_shared<const PosixKeptFolder>(std::move(fd), held_, std::move(up),
                                                          std::move(name));
    return true;
  }

  std::optional<FileKey> KeyOf(const std::string& name) override {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) return std::nullopt;
    return miwake::KeyOf(st);
  }

 private:
  static bool ListFolder(int folder, std::vector<ListedEntry>& entries, int& error) {
    entries.clear();
    // A descriptor of its own for the listing, which closes it.
    UniqueFd own(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!own) return error = WindowsErrorCode(errno), false;
    const Listing dir(::fdopendir(own.get()));
    if (!dir) return error = WindowsErrorCode(errno), false;
    own.Release();
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir.get());
      if (entry == nullptr) break;
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      entries.push_back({std::string(name), TypeOf(folder, *entry)});
    }
    if (errno != 0) return error = WindowsErrorCode(errno), false;
    return true;
  }

  static ListedType TypeOf(int folder, const dirent& entry) {
    switch (entry.d_type) {
      case DT_REG:
        return ListedType::kFile;
      case DT_DIR:
        return ListedType::kFolder;
      case DT_LNK:
        return ListedType::kLink;
      case DT_UNKNOWN:
        break;
      default:
        return ListedType::kOther;
    }
    // Some file systems leave the type to a stat of the entry itself.
    struct stat st {};
    if (::fstatat(folder, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
      return ListedType::kFile;  // gone meanwhile: its classification reports it
    return TypeOfMode(st.st_mode);
  }

  const std::size_t kept_limit_;
  // The folders that hold a descriptor now; they may outlive the lister.
  const std::shared_ptr<std::atomic<std::size_t>> held_ =
      std::make_shared<std::atomic<std::size_t>>(0);
};

}  // namespace

std::unique_ptr<FolderLister> MakePlatformFolderLister(std::size_t kept_limit) {
  // A quarter at most of what the process may open: the rest is for the
  // files being classified, and for the folders opened again meanwhile.
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    kept_limit = std::min<std::size_t>(kept_limit, limit.rlim_cur / 4);
  return std::make_unique<PosixFolderLister>(kept_limit);
}

std::unique_ptr<FileSystem> MakeListedFileSystem() {
  return MakePlatformFileSystem();
}

}  // namespace miwake
