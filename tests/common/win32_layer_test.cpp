// The Win32 layer against real files, the real registry and the real
// version functions, under Wine or Windows.
#include <gtest/gtest.h>

#include <cstdlib>

#include "actions/ports_win32.h"
#include "common/win32_handle.h"
#include "identify/classifier.h"
#include "identify/kinds.h"
#include "identify/pe_version.h"
#include "identify/version_refiner.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

const std::string kGif = "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08";

FileHandle Open(const std::string& name, DWORD access, DWORD share) {
  return FileHandle(::CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

class Win32FileSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
  int Identify(const std::string& name) {
    return classifier.Classify(files->OpenForClassify(name), name);
  }
  KeepExecutableCode refiner;
  Classifier classifier{refiner};
  testing::TempFolder dir;
};

TEST_F(Win32FileSystemTest, FilesInUseAreUnreadableUntilReleased) {
  const std::string name = dir.Write("held.txt", "text");
  char self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  for (const std::string& busy : {std::string(self), name}) {
    const FileHandle holder = Open(name, GENERIC_READ, FILE_SHARE_READ);
    EXPECT_TRUE(holder && files->FileExists(busy)) << "it exists all the same";
    EXPECT_EQ(Identify(busy), kKindUnreadable) << busy;
  }
  EXPECT_EQ(Identify(name), 1);
}

TEST_F(Win32FileSystemTest, FilesThatMayNotBeWrittenAreReadButNotDeleted) {
  const std::string name = dir.Write("locked.txt", kGif);
  ASSERT_TRUE(::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Identify(name), 108);
  EXPECT_FALSE(files->Delete(name));
  EXPECT_EQ(files->LastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(files->FileExists(name));
  ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);  // for the folder's removal
  // Made by the build with the immutable attribute, which even root cannot write.
  const char* unwritable = std::getenv("MIWAKE_UNWRITABLE_FILE");
  if (unwritable == nullptr) GTEST_SKIP() << "no unwritable file was prepared";
  ASSERT_FALSE(Open(unwritable, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE))
      << unwritable << " can be written here";
  EXPECT_EQ(Identify(unwritable), 108);
}

TEST_F(Win32FileSystemTest, OnlyExistingFilesExistWhateverTheirDate) {
  const std::string memo = dir.Write("memo.txt", "text"), future = dir.Write("future.txt", "");
  SYSTEMTIME when{};
  when.wYear = 2150, when.wMonth = 6, when.wDay = 1;
  FILETIME stamp{};
  ASSERT_TRUE(::SystemTimeToFileTime(&when, &stamp));
  ASSERT_TRUE(::SetFileTime(Open(future, GENERIC_WRITE, 0).get(), nullptr, nullptr, &stamp));
  const std::string folder = dir.path() + "sub.d";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(files->FileExists(memo) && files->FileExists(future));
  for (const std::string& name : {folder, folder + "\\", "\"" + memo + "\"",
                                  dir.path() + "mem?.txt",  // no name has wildcards
                                  dir.path() + "missing.txt"}) {
    EXPECT_FALSE(files->FileExists(name)) << name;
    EXPECT_EQ(files->FolderExists(name), name.starts_with(folder)) << name;
  }
}

TEST_F(Win32FileSystemTest, ShiftJisNamesWhoseSecondByteIsABackslash) {
  // 表 and ソ are 95 5C and 83 5C in code page 932.
  const std::string folder = dir.path() + "ソ.d";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string name = dir.Write("ソ.d\\memo.表", "text");
  EXPECT_EQ(Identify(name), 1);
  EXPECT_TRUE(files->Rename(name, folder + "\\memo.txt"));
  EXPECT_TRUE(files->FileExists(folder + "\\memo.txt"));
}

TEST_F(Win32FileSystemTest, SearchesACompoundFileBeyondFourGigabytes) {
  const std::string name =
      dir.Write("huge.doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + kGif);
  FileHandle file = Open(name, GENERIC_WRITE, 0);
  LARGE_INTEGER at{.QuadPart = (std::int64_t{9} << 29) + 4000};  // 4.5 GiB on, sparse
  const std::string tail = "Microsoft Excel" + std::string(85, '\x01');
  DWORD written = 0;
  ASSERT_TRUE(::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) &&
              ::WriteFile(file.get(), tail.data(), tail.size(), &written, nullptr) && file.Close());
  EXPECT_EQ(Identify(name), 52);
}

// The portable reader against the system's version functions on every PE
// file that Wine ships for Windows.
TEST(VersionInfoWin32Test, ThePortableReaderAgreesWithTheSystemOnWinesOwnFiles) {
  const std::string folder = "Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\";
  WIN32_FIND_DATAA data{};
  const FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
  ASSERT_TRUE(find) << "no " << folder;
  int compared = 0, with_value = 0;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string system = ReadOriginalFilename(folder + data.cFileName);
    EXPECT_EQ(ReadOriginalFilenamePortable(folder + data.cFileName), system) << data.cFileName;
    ++compared;
    with_value += !system.empty() && system != kOriginalFilenameUnknown;
  } while (::FindNextFileA(find.get(), &data));
  EXPECT_GT(compared, 500);
  EXPECT_GT(with_value, 100);
}

TEST(Win32FileAssociationsTest, ExpandsDoubleByteTextAndReadsTheValueAsStored) {
  Win32FileAssociations associations;
  // Double-byte text takes more bytes than the system's count says under Wine.
  ::SetEnvironmentVariableA("MIWAKE_TEST", "ミワケ");
  EXPECT_EQ(associations.ExpandEnvironment("%MIWAKE_TEST%\\ソフト\\%NO_SUCH%.exe"),
            "ミワケ\\ソフト\\%NO_SUCH%.exe");
  // Into HKEY_CLASSES_ROOT itself: Wine shows none of the user's own classes there.
  const std::string key = "miwake-test-" + std::to_string(::GetCurrentProcessId());
  const std::string text("miwake.file\0", 12);
  ASSERT_EQ(::RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, text.data(), 12), 0);
  EXPECT_EQ(associations.DefaultValue(key), (RegistryValue{REG_SZ, text}));
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  EXPECT_EQ(associations.DefaultValue(key), std::nullopt);
}

}  // namespace
}  // namespace miwake
