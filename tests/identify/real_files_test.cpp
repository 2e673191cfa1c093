// The platform's file system (POSIX natively, Win32 under Wine) and the
// engine on files on disk: the corpus of real third-party files
// (data/real/expected.tsv: code, extension, file), and built executables,
// which the Windows build reads through the system's version functions.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "identify/classifier.h"
#include "identify/version_refiner.h"
#include "support/pe_builder.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(PlatformFileSystemTest, NeverReplacesAFileAndReportsWindowsErrorCodes) {
  const testing::TempFolder dir;
  const std::string a = dir / "a.txt", b = dir / "b.txt", c = dir / "c.txt", sub = dir / "sub";
  std::ofstream(a, std::ios::binary) << "first";
  std::ofstream(b, std::ios::binary) << "second";
  std::filesystem::create_directory(sub);
  const auto files = MakePlatformFileSystem();
  EXPECT_TRUE(files->FileExists(a) && files->FolderExists(sub));
  EXPECT_FALSE(files->FileExists(sub) || files->FolderExists(a) || files->FileExists(c) ||
               files->FolderExists(c) || files->FileExists(""));
  EXPECT_FALSE(files->Rename(a, b));
  EXPECT_EQ(files->LastError(), 183);  // ERROR_ALREADY_EXISTS
  EXPECT_EQ(Contents(a) + Contents(b), "firstsecond");
  EXPECT_FALSE(files->OpenForReading(c));
  EXPECT_EQ(files->LastError(), 2);  // ERROR_FILE_NOT_FOUND
#ifndef _WIN32
  EXPECT_FALSE(files->OpenForReading(std::string(300, 'x')));
  EXPECT_EQ(files->LastError(), 1000 + ENAMETOOLONG) << "an error Windows has no number for";
#endif
  EXPECT_TRUE(files->Rename(a, c) && files->Delete(b));
  EXPECT_EQ(Contents(c), "first");
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
  EXPECT_TRUE(file->Seek(1));
  EXPECT_EQ(file->AtEnd(), false);
  EXPECT_TRUE(file->Close());
}

class RealFilesTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
  NoBusyCursor cursor;
  VersionResourceRefiner refiner;
  Classifier classifier{*files, cursor, refiner};
};

TEST_F(RealFilesTest, EachFileOfTheCorpusGetsItsCode) {
  const std::string dir = MIWAKE_REAL_FILES_DIR;
  std::ifstream table(dir + "/expected.tsv");
  int checked = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::string file = line.substr(line.rfind('\t') + 1);
    if (!files->FileExists(dir + "/" + file)) continue;  // listed, but not shipped
    EXPECT_EQ(classifier.IdentifyFile(dir + "/" + file), std::stoi(line)) << file;
    ++checked;
  }
  EXPECT_GE(checked, 70) << "no table under " << dir;
}

TEST_F(RealFilesTest, BuiltExecutablesGiveWhatWindowsGivesWhateverTheirNameOnDisk) {
  const testing::TempFolder dir;
  for (const testing::SampleImage& sample : testing::SampleImages()) {
    const std::string path = dir / (sample.name + ".bin");
    ASSERT_TRUE(testing::WriteBytes(path, sample.bytes));
    EXPECT_EQ(ReadOriginalFilename(path), sample.expected) << sample.name;
  }
  EXPECT_EQ(ReadOriginalFilename(""), "");
  EXPECT_EQ(ReadOriginalFilename(dir / "missing.dll"), "");
  const std::tuple<const char*, std::u16string, int> cases[] = {
      {"setup.exe", u"MYLIB.DLL", 2}, {"tool.dll", u"tool.exe", 105}, {"a.exe", u"b.SCR", 4}};
  for (const auto& [stored_as, original, code] : cases) {
    const auto version = testing::SimpleVersion(0x0411, 1200, original);
    ASSERT_TRUE(testing::WriteBytes(dir / stored_as, testing::BuildPe({.versions = {version}})));
    EXPECT_EQ(classifier.IdentifyFile(dir / stored_as), code) << stored_as;
  }
}

}  // namespace
}  // namespace miwake
