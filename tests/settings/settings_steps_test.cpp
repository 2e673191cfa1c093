#include "settings/settings_steps.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "common/app_error.h"

namespace miwake {
namespace {

// The private-profile functions and the files around the settings file; the
// platform matches names without regard to ASCII case.
std::string Key(std::string text) {
  for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  return text;
}

struct FakePlatform final : ProfileStore, SettingsDisk {
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    const auto it = values.find(Key(path + "|" + section + "|" + key));
    return it == values.end() ? fallback : it->second;
  }
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override {
    writes.push_back(section + "/" + key + "=" + value);
    if (!fail_writes) values[Key(path + "|" + section + "|" + key)] = value;
    return !fail_writes;
  }
  bool FileExists(const std::string& path) override { return files.contains(Key(path)); }
  bool FolderExists(const std::string& path) override { return folders.contains(Key(path)); }
  std::string ReadFirstLine(const std::string& path) override {
    return std::string(FirstLineOf(files.at(Key(path))));
  }
  void Delete(const std::string& path) override { files.erase(Key(path)); }

  std::map<std::string, std::string> values, files;
  std::set<std::string> folders;
  std::vector<std::string> writes;
  bool fail_writes = false;
};

const std::string kAppDir = "C:\\TOOLS\\";
const std::string kIni = kAppDir + "FMIWAKER.ini";
const std::string kOld = kAppDir + "FMIWAKER.CNF";
constexpr WindowPosition kDesign{109, 138};

WindowPosition Start(FakePlatform& fake) {
  return TakeSettingsAtStart(kAppDir, "3.12", kDesign, fake, fake);
}

TEST(SettingsStartTest, FirstStartWritesTheFourEntriesInOrderWithTheOldFilesFolder) {
  FakePlatform fake;
  // The first line ends at a carriage return or Ctrl-Z; a line feed alone does not end it.
  for (const auto& [bytes, dir] : {std::pair<const char*, std::string>{nullptr, kAppDir},
                                   {"D:\\DATA\\\r\nsecond line\r\n", "D:\\DATA\\"},
                                   {"\r\nD:\\DATA\\", ""},
                                   {"C:\\A\nB\rC", "C:\\A\nB"},
                                   {"C:\\A\x1a\r", "C:\\A"},
                                   {"C:\\A", "C:\\A"}}) {
    fake = {};
    if (bytes != nullptr) fake.files[Key(kOld)] = bytes;
    EXPECT_EQ(Start(fake), (WindowPosition{10, 10}));
    EXPECT_EQ(fake.writes, (std::vector<std::string>{"Version/ver=3.12", "Dir/Dir=" + dir,
                                                     "Location/top=10", "Location/left=10"}));
    EXPECT_FALSE(fake.FileExists(kOld));
  }
}

TEST(SettingsStartTest, FailedWriteKeepsTheOldFileAndNamesThePath) {
  FakePlatform fake;
  fake.files[Key(kOld)] = "D:\\DATA\\";
  fake.fail_writes = true;
  try {
    Start(fake);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()), kIni + " に書き込めません");
  }
  EXPECT_TRUE(fake.FileExists(kOld));
  EXPECT_EQ(fake.writes.size(), 1u) << "the first failing write ends the step";
}

TEST(SettingsStartTest, OldFileBesideExistingSettingsIsDeletedAndNothingWritten) {
  FakePlatform fake;
  fake.files[Key(kIni)] = "";
  fake.files[Key(kOld)] = "D:\\DATA\\";
  fake.values[Key(kIni + "|Location|top")] = "0x20";
  EXPECT_EQ(Start(fake), (WindowPosition{32, kDesign.left}));
  EXPECT_FALSE(fake.FileExists(kOld));
  EXPECT_TRUE(fake.writes.empty());
}

TEST(BrowseStartFolderTest, UsesOnlyAnExistingFolderFromAnExistingSettingsFile) {
  const struct {
    const char* dir;  // null: no key
    bool folder_exists;
    std::optional<std::string> expected;
    bool ini_exists = true;
  } cases[] = {{"D:\\DATA", true, "D:\\DATA"},
               {"D:\\", true, "D:\\"},

               {"", false, std::nullopt},
               {nullptr, true, "C:\\TOOLS"},
               {nullptr, true, std::nullopt, false},
               // 0x5C as the second byte of "表" is no backslash.
               {"D:\\表", true, "D:\\表"}};
  for (const auto& c : cases) {
    FakePlatform fake;
    if (c.ini_exists) fake.files[Key(kIni)] = "";
    if (c.dir != nullptr) fake.values[Key(kIni + "|Dir|Dir")] = c.dir;
    if (c.folder_exists) fake.folders.insert(Key(c.dir != nullptr ? c.dir : kAppDir));
    EXPECT_EQ(BrowseStartFolder(kAppDir, fake, fake), c.expected) << (c.dir ? c.dir : "no key");
  }
}

TEST(VersionTextTest, UsesTheGivenSeparator) {
  EXPECT_EQ(VersionText("."), "3.12");
  EXPECT_EQ(VersionText(","), "3,12");
}

}  // namespace
}  // namespace miwake
