// The walk of miwake -r over real folders: names that overlap, and trees
// deeper than any whole name the system takes.
#include <gmock/gmock.h>

#include <filesystem>

#include "miwake/identify_work.h"
#include "miwake/name_source.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>

#include <climits>

#include "common/file_system_posix.h"
#include "common/unique_fd_posix.h"
#endif

namespace miwake {
namespace {

constexpr bool kWindows = std::filesystem::path::preferred_separator == '\\';

// What the walk gives for `names`, each item as it comes.
std::vector<BatchItem> Walk(const std::vector<std::string>& names, FolderLister& lister) {
  const auto files = MakeListedFileSystem();
  NameSource source(names, true, kWindows ? NameStyle::kWindowsUtf8 : NameStyle::kPosix, *files,
                    lister);
  std::vector<BatchItem> items;
  for (BatchItem item; source.Next(item);) items.push_back(item);
  return items;
}

TEST(FolderWalk, GoesThroughEachFileAndFolderOnceAtTheFirstNameThatReachesIt) {
  const testing::TempFolder temp;
  std::filesystem::create_directories(temp.dir / "dup" / "sub");
  for (const char* name : {"dup/a.txt", "dup/c.txt", "dup/sub/b.txt", "o.txt"})
    temp.Write(name, "x");
  const auto at = [&](std::string name) {
    if (kWindows) std::replace(name.begin(), name.end(), '/', '\\');
    return temp.path() + name;
  };
  std::vector<std::string> names = {at("dup/c.txt"), at("dup/sub"), at("dup"),   at("./dup"),
                                    at("dup/a.txt"), at("o.txt"),   at("o.txt"), at("dup/sub/")};
  if (kWindows) names.push_back(at("DUP"));
  std::vector<std::string> paths;
  for (const BatchItem& item : Walk(names, *MakePlatformFolderLister())) paths.push_back(item.path);
  EXPECT_THAT(paths, ::testing::ElementsAre(at("dup/c.txt"), at("dup/sub/b.txt"), at("dup/a.txt"),
                                            at("o.txt")));
}

#ifndef _WIN32
TEST(FolderWalk, GoesBelowTheLongestWholeNameAndKeepsFewFoldersOpen) {
  const testing::TempFolder temp;
  // Made through each parent: the whole names are too long for mkdir.
  UniqueFd folder(::open(temp.path().c_str(), O_RDONLY | O_DIRECTORY));
  const auto write = [&](const char* name, const std::string& bytes) {
    const UniqueFd file(::openat(folder.get(), name, O_WRONLY | O_CREAT, 0600));
    ASSERT_EQ(::write(file.get(), bytes.data(), bytes.size()), std::ssize(bytes));
  };
  for (int level = 0; level < 150; ++level) {
    const std::string name = std::to_string(1000 + level) + std::string(26, 'x');
    ASSERT_EQ(::mkdirat(folder.get(), name.c_str(), 0700), 0);
    folder = UniqueFd(::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY));
    write("t.txt", "text\n");
  }
  write("z.gif", "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0b\x0c");

  const auto open_now = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const auto before = open_now();
  // Each item keeps its folder, as those waiting to be classified do.
  std::vector<BatchItem> items =
      Walk({temp.path() + "1000" + std::string(26, 'x')}, *MakePlatformFolderLister(8));
  EXPECT_LE(open_now() - before, 8);
  ASSERT_EQ(items.size(), 151u);
  EXPECT_GT(items.front().path.size(), std::size_t{PATH_MAX});
  // The deepest file turned into a pipe since: told apart from a file gone.
  ASSERT_EQ(::unlinkat(folder.get(), "t.txt", 0), 0);
  ASSERT_EQ(::mkfifoat(folder.get(), "t.txt", 0600), 0);
  const MimeMagic magic;
  const MimeDatabase types;
  IdentifyWork work(MakeListedFileSystem(), false, magic, types, std::nullopt);
  for (BatchItem& item : items) {
    ASSERT_EQ(item.state, ItemState::kFile) << item.error;
    work.Process(item);
    if (&item == &items.front()) {
      EXPECT_EQ(item.state, ItemState::kNotRegular);
    } else {
      EXPECT_EQ(item.code, item.path.ends_with(".gif") ? 108 : 1) << item.path.size();
    }
  }
}

// Listed as a folder, then a link in its place: never followed, and reported
// with the system's own error.
TEST(FolderWalk, ReportsAFolderReplacedByALink) {
  const testing::TempFolder temp;
  std::filesystem::create_directories(temp.dir / "root" / "sub");
  temp.Write("root/a.txt", "x");
  temp.Write("elsewhere.txt", "x");
  const auto files = MakeListedFileSystem();
  const auto lister = MakePlatformFolderLister();
  const std::vector<std::string> names = {temp.path() + "root"};
  NameSource source(names, true, NameStyle::kPosix, *files, *lister);
  BatchItem item;
  ASSERT_TRUE(source.Next(item));
  std::filesystem::remove(temp.dir / "root" / "sub");
  std::filesystem::create_directory_symlink(temp.dir, temp.dir / "root" / "sub");
  ASSERT_TRUE(source.Next(item));
  EXPECT_EQ(item.state, ItemState::kUnreadableFolder);
  EXPECT_EQ(item.error, WindowsErrorCode(ENOTDIR));  // as Linux says it of a link not followed
}
#endif

}  // namespace
}  // namespace miwake
