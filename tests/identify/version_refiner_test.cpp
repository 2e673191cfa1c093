// The executable sub-kinds, from the OriginalFilename to the code. Natively
// the file's bytes are read; in the Windows build the same cases go through
// the system's version functions.
#include "identify/version_refiner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "identify/kinds.h"
#include "support/memory_file_system.h"
#include "support/pe_builder.h"

namespace miwake {
namespace {

TEST(VersionRefinerTest, TheExtensionOfTheOriginalFilenamePicksTheKind) {
  const std::pair<std::string, int> cases[] = {
      {"SHELL32.DLL", 2},   {"x.Ocx", 3},       {"ksproxy.AX", 9},
      {"logon.scr", 4},     {"vmm.vxd", 5},     {"a.crl", 6},
      {"sound.drv", 7},     {"desk.cpl", 8},    {"grid.vbx", 10},
      {"msadp32.acm", 11},  {"vcl50.dpl", 12},  {"x.vwp", 13},
      {"NOTEPAD.EXE", 105}, {"", 105},          {"UnKnown", 105},
      {"SHELL32", 105},     {"x.DLL.MUI", 105}, {"SHELL32.DLL ", 105},
      {"a.dll\\b", 105},    {"a.dll:b", 105},   {"x.ＤＬＬ", 105},
      {"x.d11", 105},       {".dll", 2},        {"ソ.dll", 2},
  };
  for (const auto& [name, code] : cases)
    EXPECT_EQ(ExecutableKindFromOriginalFilename(name), code) << name;
}

class VersionFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { TheAnswerCache() = AnswerCache{}; }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(testing::WriteBytes(path, bytes)) << path;
    return path;
  }
  std::filesystem::path dir_ = [] {
    auto dir =
        std::filesystem::temp_directory_path() /
        ("miwake-version-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    return dir;
  }();
};

TEST_F(VersionFilesTest, EachSampleGivesTheOutcomeOfTheSystem) {
  for (const testing::SampleImage& sample : testing::SampleImages()) {
    EXPECT_EQ(ReadOriginalFilename(Write(sample.name + ".bin", sample.bytes)), sample.expected)
        << sample.name;
  }
  EXPECT_EQ(ReadOriginalFilename(""), "");
  EXPECT_EQ(ReadOriginalFilename((dir_ / "missing.dll").string()), "");
}

TEST_F(VersionFilesTest, TheNameOnDiskPlaysNoPart) {
  auto files = MakePlatformFileSystem();
  NoBusyCursor cursor;
  VersionResourceRefiner refiner;
  const ClassifierPorts ports{*files, cursor, refiner};
  const struct {
    const char* stored_as;
    std::u16string original;
    int code;
  } cases[] = {
      {"setup.exe", u"MYLIB.DLL", 2},
      {"tool.dll", u"tool.exe", 105},
      {"saver.exe", u"Mystify.SCR", 4},
  };
  for (const auto& c : cases) {
    const std::string path =
        Write(c.stored_as,
              testing::BuildPe({.versions = {testing::SimpleVersion(0x0411, 0x04B0, c.original)}}));
    EXPECT_EQ(IdentifyFile(path, ports), c.code) << c.stored_as;
    EXPECT_EQ(TheAnswerCache().LastKind, c.code);
  }
}

}  // namespace
}  // namespace miwake
