#include "common/text.h"

#include <gtest/gtest.h>

#include "common/io_error_text.h"

namespace miwake {
namespace {

struct NameCase {
  std::string name;
  std::string extension;
  std::string with_txt;  // ReplaceExtension(name, ".txt")
  friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }
};

class ExtensionTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ExtensionTest, FindsAndReplacesTheExtension) {
  const NameCase& c = GetParam();
  EXPECT_EQ(ExtensionOf(c.name), c.extension);
  EXPECT_EQ(ReplaceExtension(c.name, ".txt"), c.with_txt);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExtensionTest,
    ::testing::Values(
        NameCase{"a.b.TXT", ".TXT", "a.b.txt"},
        NameCase{"C:\\dir.old\\file", "", "C:\\dir.old\\file.txt"},
        NameCase{"file.", ".", "file.txt"}, NameCase{"photo.jpeg", ".jpeg", "photo.txt"},
        NameCase{"archive", "", "archive.txt"}, NameCase{"", "", ".txt"},
        NameCase{"C:x.y:z", "", "C:x.y:z.txt"}, NameCase{".profile", ".profile", ".txt"},
        NameCase{"dir\\.hidden", ".hidden", "dir\\.txt"},
        // 表 and ソ end in byte 0x5C, which is no backslash here.
        NameCase{"memo.表", ".表", "memo.txt"}, NameCase{"ソ.doc", ".doc", "ソ.txt"},
        NameCase{"a.ソ", ".ソ", "a.txt"}, NameCase{"dir.d\\ソ", "", "dir.d\\ソ.txt"},
        // A lone lead byte at the end is a character of its own.
        NameCase{"a.b\x81", ".b\x81", "a.txt"}, NameCase{"memo.ＴＸＴ", ".ＴＸＴ", "memo.txt"}));

TEST(SameTextAsciiTest, FoldsOnlyAsciiLetters) {
  struct Case {
    std::string a, b;
    bool same;
  } cases[] = {
      {".txt", ".TXT", true},     {".Txt", ".txt", true},  {"", "", true}, {".txt", ".txt ", false},
      {".ＴＸＴ", ".txt", false}, {"ａ", "Ａ", false},  // full-width letters are not folded
      {"[", "{", false},                                // 0x5B/0x7B differ by 32 yet are no letters
      {"@", "`", false},          {"\xE0", "\xC0", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameTextAscii(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(IoErrorTextTest, KnownCodesAndFallback) {
  EXPECT_EQ(IoErrorText(2), "ﾌｧｲﾙが見つかりません");
  EXPECT_EQ(IoErrorText(5), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
  EXPECT_EQ(IoErrorText(106), "入力値が数値ではありません");
  EXPECT_EQ(IoErrorText(32), "I/O ｴﾗｰ (32)");
  EXPECT_EQ(IoErrorText(-7), "I/O ｴﾗｰ (-7)");
}

TEST(WithFullStopTest, AppendsAfterCharactersAboveTheDot) {
  EXPECT_EQ(WithFullStop("書き込めません"), "書き込めません.");
  EXPECT_EQ(WithFullStop("I/O ｴﾗｰ (32)"), "I/O ｴﾗｰ (32)");  // ")" sorts below "."
  EXPECT_EQ(WithFullStop("done."), "done.");
  EXPECT_EQ(WithFullStop("trailing "), "trailing ");
  EXPECT_EQ(WithFullStop("dash-"), "dash-");
  EXPECT_EQ(WithFullStop("x/"), "x/.");
  EXPECT_EQ(WithFullStop(""), "");
}

}  // namespace
}  // namespace miwake
