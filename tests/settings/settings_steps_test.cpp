#include "settings/settings_steps.h"

#include <gtest/gtest.h>

#include "settings/fake_settings.h"

namespace miwake {
namespace {

using testing::FakeProfileStore;
using testing::FakeSettingsDisk;
using testing::Folded;

const std::string kAppDir = "C:\\TOOLS\\";
const std::string kIni = kAppDir + "FMIWAKER.ini";
const std::string kOld = kAppDir + "FMIWAKER.CNF";
constexpr WindowPosition kDesign{109, 138};

class SettingsStartTest : public ::testing::Test {
 protected:
  WindowPosition Start() { return TakeSettingsAtStart(kAppDir, "3.12", kDesign, store, disk); }
  std::string Value(const std::string& section, const std::string& key) {
    return store.Read(kIni, section, key, "<missing>");
  }
  void GiveSettingsFile() { disk.files[Folded(kIni)] = ""; }

  FakeProfileStore store;
  FakeSettingsDisk disk;
};

TEST_F(SettingsStartTest, FirstStartWritesTheFourEntriesInOrderAndPlacesAtTen) {
  EXPECT_EQ(Start(), (WindowPosition{10, 10}));
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Version/ver=3.12", "Dir/Dir=C:\\TOOLS\\",
                                                    "Location/top=10", "Location/left=10"}));
}

TEST_F(SettingsStartTest, OldFileGivesTheFolderAndGoesAfterTheWrites) {
  disk.files[Folded(kOld)] = "D:\\DATA\\\r\nsecond line\r\n";
  Start();
  EXPECT_EQ(Value("Dir", "Dir"), "D:\\DATA\\");
  EXPECT_FALSE(disk.FileExists(kOld));
}

TEST_F(SettingsStartTest, OldFileWithEmptyFirstLineWritesAnEmptyDir) {
  disk.files[Folded(kOld)] = "\r\nD:\\DATA\\";
  Start();
  EXPECT_EQ(Value("Dir", "Dir"), "");
}

TEST_F(SettingsStartTest, FailedWriteKeepsTheOldFileAndNamesThePath) {
  disk.files[Folded(kOld)] = "D:\\DATA\\";
  store.fail_writes = true;
  try {
    Start();
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()), kIni + " に書き込めません");
  }
  EXPECT_TRUE(disk.FileExists(kOld));
  EXPECT_EQ(store.writes.size(), 1u) << "the first failing write ends the step";
}

TEST_F(SettingsStartTest, UnreadableOldFileStopsBeforeAnyWriteOrDeletion) {
  disk.files[Folded(kOld)] = "D:\\DATA\\";
  disk.read_error = "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
  EXPECT_THROW(Start(), AppError);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(disk.deleted.empty());
}

TEST_F(SettingsStartTest, ExistingFileGivesThePositionAndIsNotWritten) {
  GiveSettingsFile();
  store.Set(kIni, "Location", "top", "0x20");
  store.Set(kIni, "Location", "left", "-300");
  EXPECT_EQ(Start(), (WindowPosition{32, -300}));
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(SettingsStartTest, ExistingFileWithoutUsablePositionGivesTheDesignPosition) {
  GiveSettingsFile();
  store.Set(kIni, "Location", "top", "10px");
  EXPECT_EQ(Start(), kDesign);
}

TEST_F(SettingsStartTest, OldFileBesideExistingSettingsIsDeletedAndItsFolderDropped) {
  GiveSettingsFile();
  store.Set(kIni, "Dir", "Dir", "E:\\KEEP\\");
  disk.files[Folded(kOld)] = "D:\\DATA\\";
  Start();
  EXPECT_FALSE(disk.FileExists(kOld));
  EXPECT_EQ(Value("Dir", "Dir"), "E:\\KEEP\\");
}

TEST(FirstLineOfTest, EndsAtCarriageReturnOrCtrlZOnly) {
  EXPECT_EQ(FirstLineOf("C:\\A\r\nB"), "C:\\A");
  EXPECT_EQ(FirstLineOf("C:\\A\nB\rC"), "C:\\A\nB");
  EXPECT_EQ(FirstLineOf("C:\\A\x1a\r"), "C:\\A");
  EXPECT_EQ(FirstLineOf("C:\\A"), "C:\\A");
  EXPECT_EQ(FirstLineOf(""), "");
}

TEST(SavePositionTest, WritesTopThenLeft) {
  FakeProfileStore store;
  SavePosition(kAppDir, {-4, 1200}, store);
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Location/top=-4", "Location/left=1200"}));
  EXPECT_EQ(store.Read(kIni, "LOCATION", "Top", ""), "-4");
}

TEST(SavePositionTest, FailedWriteRaisesTheError) {
  FakeProfileStore store;
  store.fail_writes = true;
  EXPECT_THROW(SavePosition(kAppDir, {1, 2}, store), AppError);
}

struct BrowseCase {
  const char* dir;  // null: no key
  bool folder_exists;
  std::optional<std::string> expected;
};

class BrowseStartFolderTest : public ::testing::TestWithParam<BrowseCase> {};

TEST_P(BrowseStartFolderTest, UsesOnlyExistingFolders) {
  FakeProfileStore store;
  FakeSettingsDisk disk;
  disk.files[Folded(kIni)] = "";
  const BrowseCase& c = GetParam();
  const std::string dir = c.dir != nullptr ? c.dir : kAppDir;
  if (c.dir != nullptr) store.Set(kIni, "Dir", "Dir", c.dir);
  if (c.folder_exists) disk.folders.insert(Folded(dir));
  EXPECT_EQ(BrowseStartFolder(kAppDir, store, disk), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowseStartFolderTest,
                         ::testing::Values(BrowseCase{"D:\\DATA\\", true, "D:\\DATA"},
                                           BrowseCase{"D:\\DATA", true, "D:\\DATA"},
                                           BrowseCase{"D:\\", true, "D:\\"},
                                           BrowseCase{"D:\\GONE\\", false, std::nullopt},
                                           BrowseCase{"", false, std::nullopt},
                                           BrowseCase{nullptr, true, "C:\\TOOLS"},
                                           // 0x5C as the second byte of "表" is no backslash.
                                           BrowseCase{"D:\\表", true, "D:\\表"}));

TEST(BrowseWithoutSettingsFileTest, GivesNoFolder) {
  FakeProfileStore store;
  FakeSettingsDisk disk;
  disk.folders.insert(Folded(kAppDir));
  EXPECT_EQ(BrowseStartFolder(kAppDir, store, disk), std::nullopt);
}

TEST(VersionTextTest, UsesTheGivenSeparator) {
  EXPECT_EQ(VersionText("."), "3.12");
  EXPECT_EQ(VersionText(","), "3,12");
}

}  // namespace
}  // namespace miwake
