// The Win32 file layer against real files, under Wine or Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "actions/identify_command.h"
#include "common/text.h"
#include "common/win32_handle.h"
#include "identify/classifier.h"
#include "identify/kinds.h"
#include "support/fakes.h"
#include "support/scratch_folder_win32.h"

namespace miwake {
namespace {

const std::string kOle("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { TheAnswerCache() = AnswerCache{}; }
  int Identify(const std::string& name) {
    return IdentifyFile(name, ClassifierPorts{*files, cursor, refiner});
  }
  bool Refused(const std::string& name) {
    boxes.shown.clear();
    const bool stop = CheckInputFile(name, *files, boxes);
    EXPECT_EQ(stop, !boxes.shown.empty());
    return stop;
  }
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
  NoBusyCursor cursor;
  KeepExecutableCode refiner;
  testing::ScriptedMessageBox boxes;
  testing::ScratchFolder dir;
};

TEST_F(Win32FileSystemTest, ClassifiesRealFiles) {
  std::string ole = kOle + std::string(6000, '\x01');
  ole.replace(5000, 20, "Microsoft PowerPoint");
  const std::pair<std::string, int> cases[] = {
      {dir.Write("memo.doc", "plain text\r\n"), 1},
      {dir.Write("photo.txt", "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08"), 108},
      {dir.Write("slides", ole), 54},
      {dir.Write("empty", ""), kEmptyFileKind},
  };
  for (const auto& [name, code] : cases) EXPECT_EQ(Identify(name), code) << name;
}

TEST_F(Win32FileSystemTest, AFileHeldWithoutWriteSharingIsUnreadableUntilReleased) {
  const std::string name = dir.Write("held.txt", "text");
  {
    FileHandle holder(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_FALSE(Refused(name)) << "it exists all the same";
    EXPECT_EQ(Identify(name), kKindUnreadable);
  }
  EXPECT_EQ(Identify(name), 1) << "the failure is not cached";
}

TEST_F(Win32FileSystemTest, TheRunningProgramIsUnreadable) {
  char self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  EXPECT_FALSE(Refused(self));
  EXPECT_EQ(Identify(self), kKindUnreadable);
}

TEST_F(Win32FileSystemTest, AReadOnlyFileIsClassifiedByItsContent) {
  const std::string name = dir.Write("locked.txt", "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08");
  ASSERT_TRUE(::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Identify(name), 108);
}

TEST_F(Win32FileSystemTest, AFileThatMayNotBeWrittenIsReadAllTheSame) {
  const char* name = std::getenv("MIWAKE_UNWRITABLE_FILE");
  if (name == nullptr) GTEST_SKIP() << "no unwritable file was prepared";
  {
    FileHandle probe(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe) GTEST_SKIP() << name << " can be written here";
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(Identify(name), 108);
}

TEST_F(Win32FileSystemTest, TheExistenceTest) {
  const std::string memo = dir.Write("memo.txt", "text");
  const std::string folder = dir.MakeFolder("sub.d");
  struct Case {
    std::string name;
    bool refused;
  } cases[] = {
      {memo, false},
      {folder, true},
      {folder + "\\", true},
      {"   ", true},
      {"\"" + memo + "\"", true},
      {dir.path() + "*.txt", true},  // no file name holds a wildcard
      {dir.path() + "mem?.txt", true},
      {dir.path() + "missing.txt", true},
  };
  for (const Case& c : cases) EXPECT_EQ(Refused(c.name), c.refused) << c.name;
}

TEST_F(Win32FileSystemTest, FilesOfAnyDateExist) {
  struct Case {
    const char* name;
    WORD year;
  } cases[] = {{"old.txt", 1975}, {"future.txt", 2150}};
  for (const Case& c : cases) {
    const std::string name = dir.Write(c.name, "text");
    SYSTEMTIME when{};
    when.wYear = c.year, when.wMonth = 6, when.wDay = 1;
    FILETIME stamp{};
    ASSERT_TRUE(::SystemTimeToFileTime(&when, &stamp));
    {
      FileHandle file(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &stamp));
    }
    EXPECT_FALSE(Refused(name)) << c.year;
    EXPECT_EQ(Identify(name), 1);
  }
}

TEST_F(Win32FileSystemTest, ShiftJisNamesWhoseSecondByteIsABackslash) {
  // 表 and ソ are 95 5C and 83 5C in code page 932.
  const std::string folder = dir.MakeFolder("ソ.d");
  const std::string name = dir.Write("ソ.d\\memo.表", "text");
  EXPECT_EQ(ExtensionOf(name), ".表");
  EXPECT_EQ(ReplaceExtension(name, ".txt"), folder + "\\memo.txt");
  EXPECT_FALSE(Refused(name));
  EXPECT_EQ(Identify(name), 1);
}

TEST_F(Win32FileSystemTest, SearchesACompoundFileBeyondFourGigabytes) {
  const std::string name = dir.Write("huge.doc", kOle + std::string(3000, '\x01'));
  const std::uint64_t size = (std::uint64_t{9} << 29) + 4096;  // 4.5 GiB, sparse
  {
    FileHandle file(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LONG high = static_cast<LONG>((size - 100) >> 32);
    ::SetFilePointer(file.get(), static_cast<LONG>((size - 100) & 0xFFFFFFFF), &high, FILE_BEGIN);
    const std::string tail = "Microsoft Excel" + std::string(85, '\x01');
    DWORD written = 0;
    ASSERT_TRUE(
        ::WriteFile(file.get(), tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr));
  }
  EXPECT_EQ(Identify(name), 52);
}

}  // namespace
}  // namespace miwake
