#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cerrno>

#include "common/file_system_posix.h"
#include "miwake/folder_listing.h"

namespace miwake {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

ListedType TypeOfMode(mode_t mode) {
  if (S_ISREG(mode)) return ListedType::kFile;
  if (S_ISDIR(mode)) return ListedType::kFolder;
  return S_ISLNK(mode) ? ListedType::kLink : ListedType::kOther;
}

class PosixKeptFolder final : public KeptFolder {
 public:
  explicit PosixKeptFolder(int fd) : fd_(fd) {}
  ~PosixKeptFolder() override { ::close(fd_); }
  PosixKeptFolder(const PosixKeptFolder&) = delete;
  PosixKeptFolder& operator=(const PosixKeptFolder&) = delete;

  std::unique_ptr<OpenFile> OpenForClassify(const char* leaf) const override {
    return OpenListedFileAt(fd_, leaf);
  }

 private:
  int fd_;
};

class PosixFolderLister final : public FolderLister {
 public:
  bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) override {
    return ListFolder(folder, entries, error, nullptr);
  }

  bool ListAndKeep(const std::string& folder, std::vector<ListedEntry>& entries, int& error,
                   std::shared_ptr<const KeptFolder>& kept) override {
    return ListFolder(folder, entries, error, &kept);
  }

 private:
  static bool ListFolder(const std::string& folder, std::vector<ListedEntry>& entries, int& error,
                         std::shared_ptr<const KeptFolder>* kept) {
    entries.clear();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return error = WindowsErrorCode(errno), false;
    if (kept) {
      // A descriptor of its own: the listing's goes with its buffer. Without
      // one, the files are opened by their whole names.
      const int fd = ::fcntl(::dirfd(dir.get()), F_DUPFD_CLOEXEC, 0);
      *kept = fd < 0 ? nullptr : std::make_shared<const PosixKeptFolder>(fd);
    }
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir.get());
      if (entry == nullptr) break;
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      entries.push_back({std::string(name), TypeOf(dir.get(), *entry)});
    }
    if (errno != 0) return error = WindowsErrorCode(errno), false;
    return true;
  }

  static ListedType TypeOf(DIR* dir, const dirent& entry) {
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
    if (::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
      return ListedType::kFile;  // gone meanwhile: its classification reports it
    return TypeOfMode(st.st_mode);
  }
};

}  // namespace

std::unique_ptr<FolderLister> MakePlatformFolderLister() {
  return std::make_unique<PosixFolderLister>();
}

}  // namespace miwake
