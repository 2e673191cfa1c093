// The reasons behind an answer must be those of the answer itself: the same
// code as IdentifyFile, and the signature and name that decided it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "identify/version_refiner.h"
#include "support/sample_files.h"

namespace miwake {
namespace {

namespace fs = std::filesystem;
const std::string kData = MIWAKE_TEST_DATA;

class ExplainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("miwake-explain-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& bytes) {
    const std::string path = (dir_ / ("f" + std::to_string(++count_))).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::unique_ptr<FileSystem> files_ = MakePlatformFileSystem();
  NoBusyCursor cursor_;
  VersionResourceRefiner refiner_;
  Classifier classifier_{*files_, cursor_, refiner_};
  fs::path dir_;
  int count_ = 0;
};

std::string At(std::size_t offset, const std::string& bytes, std::size_t size, char fill) {
  std::string out(std::max(size, offset + bytes.size()), fill);
  out.replace(offset, bytes.size(), bytes);
  return out;
}

TEST_F(ExplainTest, NamesWhatDecided) {
  const std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  struct Row {
    std::string bytes;
    int code;
    std::size_t text;
    const char* signature;
    std::size_t signature_offset;
    const char* app_name;
    std::uint64_t app_offset;
  } rows[] = {
      {"hello\r\n", 1, 7, "", 0, "", 0},
      {At(0, "BM", 2000, 'a') + std::string(3, '\0'), 103, 2000, "BM", 0, "", 0},
      {At(6, "JFIF", 100, '\0'), 107, 4, "JFIF", 6, "", 0},
      {At(0, std::string("PK\x03\x04", 4), 100, '\0'), 110, 2, "PK\\x03\\x04", 0, "", 0},
      {At(8, "WAVEfmt", 100, '\0'), 0, 7, "", 0, "", 0},
      {At(0, "RIFF", 0, 0) + At(4, "WAVEfmt", 100, '\0'), 31, 11, "WAVEfmt", 8, "", 0},
      {At(9000, "Microsoft PowerPoint", 10000, '\0').replace(0, 8, ole), 54, 6,
       "\\xD0\\xCF\\x11\\xE0\\xA1\\xB1\\x1A\\xE1", 0, "Microsoft PowerPoint", 9000},
      {std::string(100, '\0'), 0, 0, "", 0, "", 0},
  };
  for (const Row& row : rows) {
    const std::string path = Write(row.bytes);
    KindReasons why;
    EXPECT_EQ(classifier_.Explain(path, why), row.code) << row.signature;
    EXPECT_EQ(why.block_size, std::min<std::size_t>(row.bytes.size(), 2500)) << row.signature;
    EXPECT_EQ(why.text_bytes, row.text) << row.signature;
    EXPECT_EQ(why.signature, row.signature);
    EXPECT_EQ(why.signature_offset, row.signature_offset) << row.signature;
    EXPECT_EQ(why.app_name, row.app_name) << row.signature;
    EXPECT_EQ(why.app_name_offset, row.app_offset) << row.signature;
    EXPECT_FALSE(why.original_filename) << row.signature;
  }
  KindReasons why;
  EXPECT_EQ(classifier_.Explain((dir_ / "missing").string(), why), -1);
}

TEST_F(ExplainTest, GivesTheAnswerOfIdentifyFile) {
  for (const auto& row : testing::ReadTable(kData + "/real/expected.tsv")) {
    const std::string path = kData + "/real/" + row[2];
    KindReasons why;
    EXPECT_EQ(classifier_.Explain(path, why), classifier_.IdentifyFile(path)) << row[2];
  }
  for (const auto& row : testing::ReadTable(kData + "/pe-samples/expected.tsv")) {
    KindReasons why;
    EXPECT_EQ(classifier_.Explain(kData + "/pe-samples/" + row[2], why), std::stoi(row[0]));
    EXPECT_EQ(why.original_filename.value_or(""), row[1]) << row[2];
  }
}

}  // namespace
}  // namespace miwake
