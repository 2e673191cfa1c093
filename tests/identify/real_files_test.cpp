// The platform's file system (POSIX natively, Win32 under Wine) and the
// engine on files on disk: the corpus of real third-party files and the PE
// samples, whose version resources the Windows build reads through the
// system's version functions.
#include <gtest/gtest.h>

#include <cerrno>

#include "identify/classifier.h"
#include "identify/version_refiner.h"
#include "support/sample_files.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include "common/file_system_posix.h"
#endif

namespace miwake {
namespace {

TEST(PlatformFileSystemTest, NeverReplacesAFileAndReportsWindowsErrorCodes) {
  const testing::TempFolder dir;
  const std::string a = dir.Write("a.txt", "first"), b = dir.Write("b.txt", "second"),
                    c = dir.path() + "c.txt", sub = dir.path() + "sub";
  std::filesystem::create_directory(sub);
  const auto files = MakePlatformFileSystem();
  EXPECT_TRUE(files->FileExists(a) && files->FolderExists(sub));
  EXPECT_FALSE(files->FileExists(sub) || files->FolderExists(a) || files->FileExists(c) ||
               files->FolderExists(c) || files->FileExists(""));
  EXPECT_FALSE(files->Rename(a, b));
  EXPECT_EQ(files->LastError(), 183);  // ERROR_ALREADY_EXISTS
  EXPECT_EQ(testing::FileBytes(a) + testing::FileBytes(b), "firstsecond");
  EXPECT_FALSE(files->OpenForReading(c));
  EXPECT_EQ(files->LastError(), 2);  // ERROR_FILE_NOT_FOUND
#ifndef _WIN32
  EXPECT_FALSE(files->OpenForReading(std::string(300, 'x')));
  EXPECT_EQ(files->LastError(), 206);  // ERROR_FILENAME_EXCED_RANGE
  // Causes told apart; those the main window's texts know keep their codes.
  const std::pair<int, int> codes[] = {{ENOENT, 2},    {EACCES, 5},   {EPERM, 5},
                                       {EISDIR, 5},    {EROFS, 19},   {ENOSPC, 112},
                                       {EEXIST, 183},  {EFBIG, 223},  {ENAMETOOLONG, 206},
                                       {ENOTDIR, 267}, {ELOOP, 1921}, {EIO, 1000 + EIO}};
  for (const auto& [error, code] : codes) EXPECT_EQ(WindowsErrorCode(error), code) << error;
#endif
  EXPECT_TRUE(files->Rename(a, c) && files->Delete(b));
  EXPECT_EQ(testing::FileBytes(c), "first");
  EXPECT_FALSE(files->FileExists(a) || files->Delete(b));
  EXPECT_EQ(files->LastError(), 2);

  const auto file = files->OpenForReading(c);
  std::uint8_t bytes[8];
  ASSERT_TRUE(file && file->Seek(2));
  EXPECT_EQ(file->Read(bytes), 3u);
  EXPECT_EQ(std::string(bytes, bytes + 3), "rst");
  EXPECT_EQ(file->AtEnd(), true);
  EXPECT_TRUE(file->Seek(100)) << "past the end is allowed";
  EXPECT_EQ(file->Read(bytes), 0u);
  EXPECT_TRUE(file->Seek(0) && file->Seek(1));
  EXPECT_EQ(file->AtEnd(), false);
  EXPECT_TRUE(file->Close());
}

// The tables: code, then extension or OriginalFilename, then file.
TEST(RealFilesTest, EachFileGetsItsCodeAndEachSampleItsOriginalFilename) {
  const auto files = MakePlatformFileSystem();
  VersionResourceRefiner refiner;
  Classifier classifier{refiner};
  for (const std::string folder : {"/real/", "/pe-samples/"}) {
    const std::string dir = MIWAKE_TEST_DATA + folder;
    const auto rows = testing::ReadTable(dir + "expected.tsv");
    ASSERT_GE(rows.size(), 15u) << "no table under " << dir;
    for (const auto& row : rows) {
      const std::string file = dir + row.at(2);
      ASSERT_TRUE(files->FileExists(file)) << "listed but missing: " << file;
      EXPECT_EQ(classifier.Classify(files->OpenForClassify(file), file), std::stoi(row[0])) << file;
      KindReasons why;  // the reasons are those of the same answer
      EXPECT_EQ(classifier.Classify(files->OpenForClassify(file), file, &why), std::stoi(row[0]))
          << file;
      if (folder == "/pe-samples/") {
        EXPECT_EQ(ReadOriginalFilename(file), row[1]) << file;
        EXPECT_EQ(why.original_filename.value_or(""), row[1]) << file;
      }
    }
  }
  EXPECT_EQ(ReadOriginalFilename(""), "");
  EXPECT_EQ(ReadOriginalFilename(MIWAKE_TEST_DATA "/missing.dll"), "");
}

}  // namespace
}  // namespace miwake
