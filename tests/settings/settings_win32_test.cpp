// The settings file over the real private-profile functions, in a scratch folder.
#include "settings/settings_win32.h"

#include <gtest/gtest.h>

#include "common/app_error.h"
#include "common/win32_handle.h"
#include "support/scratch_folder_win32.h"

namespace miwake {
namespace {

using testing::ScratchFolder;

std::string Contents(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[512];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

class SettingsWin32Test : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  Win32ProfileStore store;
  Win32SettingsDisk disk;
};

TEST_F(SettingsWin32Test, FirstStartCreatesTheFileWithItsSectionsInOrder) {
  const WindowPosition at =
      TakeSettingsAtStart(scratch.path(), LocaleVersionText(), {109, 138}, store, disk);
  EXPECT_EQ(at, (WindowPosition{10, 10}));
  const std::string ini = Contents(scratch.path() + "FMIWAKER.ini");
  // The platform decides blank lines; only the order of the entries counts.
  auto pos = [&](const std::string& s) { return ini.find(s); };
  ASSERT_NE(pos("ver=3.12"), std::string::npos) << ini;
  EXPECT_LT(pos("[Version]"), pos("[Dir]"));
  EXPECT_LT(pos("[Dir]"), pos("[Location]"));
  EXPECT_NE(pos("Dir=" + scratch.path() + "\r\n"), std::string::npos) << ini;
  EXPECT_LT(pos("top=10"), pos("left=10"));
}

TEST_F(SettingsWin32Test, SecondStartReadsHexadecimalAndWritesNothing) {
  const std::string ini = scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=0x1F\r\nleft=$20\r\n");
  EXPECT_EQ(TakeSettingsAtStart(scratch.path(), "3.12", {109, 138}, store, disk),
            (WindowPosition{31, 32}));
  EXPECT_EQ(Contents(ini), "[Location]\r\ntop=0x1F\r\nleft=$20\r\n");
}

TEST_F(SettingsWin32Test, OldFileIsTakenOverAndDeleted) {
  const std::string old = scratch.Write("FMIWAKER.CNF", "C:\\旧フォルダ\\\r\nrest\x1a");
  TakeSettingsAtStart(scratch.path(), "3.12", {109, 138}, store, disk);
  EXPECT_EQ(SettingsFile(store, scratch.path() + "FMIWAKER.ini").ReadText("Dir", "Dir", "?"),
            "C:\\旧フォルダ\\");
  EXPECT_EQ(::GetFileAttributesA(old.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsWin32Test, OldFilesFirstLineHasNoLengthLimit) {
  const std::string line(10000, 'x');
  const std::string old = scratch.Write("FMIWAKER.CNF", line + "\r\n" + std::string(5000, 'y'));
  EXPECT_EQ(disk.ReadFirstLine(old), line);
  const std::string lf_only = scratch.Write("lf.txt", "C:\\A\nB");
  EXPECT_EQ(disk.ReadFirstLine(lf_only), "C:\\A\nB");
}

TEST_F(SettingsWin32Test, UnreadableOldFileStopsTheStepWithItsIoErrorAndStays) {
  const std::string old = scratch.Write("FMIWAKER.CNF", "C:\\DATA\\\r\n");
  // Held without read sharing, the file cannot be opened: error 32.
  const FileHandle held(::CreateFileA(old.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  try {
    TakeSettingsAtStart(scratch.path(), "3.12", {109, 138}, store, disk);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()), "I/O ｴﾗｰ (32)");
  }
  EXPECT_NE(::GetFileAttributesA(old.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesA((scratch.path() + "FMIWAKER.ini").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsWin32Test, FolderNamedLikeTheOldFileIsNoOldFile) {
  scratch.MakeFolder("FMIWAKER.CNF");
  TakeSettingsAtStart(scratch.path(), "3.12", {109, 138}, store, disk);
  EXPECT_EQ(SettingsFile(store, scratch.path() + "FMIWAKER.ini").ReadText("Dir", "Dir", "?"),
            scratch.path());
}

TEST_F(SettingsWin32Test, WriteIntoAMissingFolderFailsWithThePathAndKeepsTheOldFile) {
  const std::string missing = scratch.path() + "gone\\";
  const SettingsFile settings(store, missing + "FMIWAKER.ini");
  try {
    settings.WriteNumber("Location", "top", 1);
    FAIL() << "no error";
  } catch (const AppError& e) {
    EXPECT_EQ(std::string(e.what()), missing + "FMIWAKER.ini に書き込めません");
  }
}

TEST_F(SettingsWin32Test, TextsRoundTripAndLongOnesComeBackCut) {
  const SettingsFile settings(store, scratch.path() + "FMIWAKER.ini");
  settings.WriteText("Dir", "Dir", "");
  EXPECT_EQ(settings.ReadText("Dir", "Dir", "default"), "");
  settings.WriteText("Dir", "Dir", std::string(1500, 'a'));
  EXPECT_EQ(settings.ReadText("Dir", "Dir", ""), std::string(1023, 'a'));
  settings.WriteNumber("Location", "top", -2147483647 - 1);
  EXPECT_EQ(settings.ReadNumber("Location", "Top", 0), -2147483647 - 1);
  EXPECT_EQ(settings.ReadNumber("Location", "none", 138), 138);
}

}  // namespace
}  // namespace miwake
