// The reasons behind an answer name what decided it.
#include <gtest/gtest.h>

#include "identify/classifier.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

// `size` bytes of `fill` with `bytes` written at `at`.
std::string At(std::size_t at, const std::string& bytes, std::size_t size, char fill = '\0') {
  std::string out(std::max(size, at + bytes.size()), fill);
  return out.replace(at, bytes.size(), bytes);
}

TEST(ExplainTest, NamesWhatDecided) {
  const testing::TempFolder dir;
  const auto files = MakePlatformFileSystem();
  NoBusyCursor cursor;
  KeepExecutableCode refiner;
  Classifier classifier(*files, cursor, refiner);
  const std::string ole = "\\xD0\\xCF\\x11\\xE0\\xA1\\xB1\\x1A\\xE1";
  const struct {
    std::string bytes;
    int code;
    std::size_t text;
    std::string signature = {};
    std::size_t at = 0;
    std::string app = {};
    std::uint64_t app_at = 0;
  } rows[] = {
      {"hello\r\n", 1, 7},
      {At(0, "BM", 2000, 'a') + std::string(3, '\0'), 103, 2000, "BM"},
      {At(6, "JFIF", 100), 107, 4, "JFIF", 6},
      {At(0, "PK\x03\x04", 100), 110, 2, "PK\\x03\\x04"},
      {At(8, "WAVEfmt", 100), 0, 7},
      {"RIFF" + At(4, "WAVEfmt", 100), 31, 11, "WAVEfmt", 8},
      {At(9000, "Microsoft PowerPoint", 10000).replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"),
       54, 6, ole, 0, "Microsoft PowerPoint", 9000},
  };
  int n = 0;
  for (const auto& row : rows) {
    KindReasons why;
    EXPECT_EQ(classifier.Explain(dir.Write(std::to_string(++n), row.bytes), why), row.code) << n;
    EXPECT_EQ(why.block_size, std::min<std::size_t>(row.bytes.size(), 2500)) << n;
    EXPECT_EQ(std::tuple(why.text_bytes, why.signature, why.signature_offset, why.app_name,
                         why.app_name_offset),
              std::tuple(row.text, row.signature, row.at, row.app, row.app_at))
        << n;
  }
  KindReasons why;
  EXPECT_EQ(classifier.Explain(dir.path() + "missing", why), -1);
}

}  // namespace
}  // namespace miwake
