#include "common/text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/io_error_text.h"

namespace miwake {
namespace {

TEST(TextTest, FindsAndReplacesTheExtension) {
  // name, its extension, the name with ".txt" for it
  const std::string_view cases[][3] = {
      {"a.b.TXT", ".TXT", "a.b.txt"},
      {"C:\\dir.old\\file", "", "C:\\dir.old\\file.txt"},
      {"file.", ".", "file.txt"},
      {"", "", ".txt"},
      {"C:x.y:z", "", "C:x.y:z.txt"},
      {"dir\\.hidden", ".hidden", "dir\\.txt"},
      // 表 and ソ end in byte 0x5C, which is no backslash here.
      {"memo.表", ".表", "memo.txt"},
      {"dir.d\\ソ", "", "dir.d\\ソ.txt"},
      {"a.b\x81", ".b\x81", "a.txt"},  // a lone lead byte at the end is a character
  };
  for (const auto& [name, extension, with_txt] : cases) {
    EXPECT_EQ(ExtensionOf(name), extension) << name;
    EXPECT_EQ(ReplaceExtension(name, ".txt"), with_txt) << name;
  }
  EXPECT_EQ(LastDelimiterEnd("表", "\\", nullptr), 0u) << "a trail byte first is no backslash";
}

TEST(TextTest, JoinsAndSplitsPaths) {
  // A folder joined with the leaf "x"; 表 and ソ end in a backslash's byte.
  constexpr auto kPosix = NameStyle::kPosix, kWin = NameStyle::kWindows,
                 kBs = NameStyle::kWindowsBackslash;
  const std::tuple<const char*, NameStyle, const char*> joins[] = {
      {"dir", kPosix, "dir/x"}, {"dir/", kPosix, "dir/x"},
      {"", kPosix, "x"},        {"a\\b", kPosix, "a\\b/x"},
      {"C:\\", kWin, "C:\\x"},  {"C:", kWin, "C:x"},
      {"d/", kWin, "d/x"},      {"\x95\x5c", kWin, "\x95\x5c\\x"},
      {"", kBs, "\\x"},         {"C:\\", kBs, "C:\\x"},
      {"C:", kBs, "C:\\x"},     {"C:\\ソ", kBs, "C:\\ソ\\x"}};
  for (const auto& [folder, style, expected] : joins) {
    const std::string joined = JoinPath(folder, "x", style);
    EXPECT_EQ(joined, expected) << folder;
    EXPECT_EQ(LeafStart(joined, style), joined.size() - 1) << folder;
  }
}

TEST(TextTest, SameTextAsciiFoldsOnlyAsciiLettersAndErrorTexts) {
  EXPECT_TRUE(SameTextAscii("azAZ.txt", "AZaz.TXT") && SameTextAscii("", ""));
  // Full-width letters are not folded; the other pairs are 32 apart but no letters.
  for (const auto& [a, b] :
       {std::pair{"ａ", "Ａ"}, {"[", "{"}, {"@", "`"}, {"\xE0", "\xC0"}, {".txt", ".txt "}})
    EXPECT_FALSE(SameTextAscii(a, b)) << a << " / " << b;
  EXPECT_EQ(IoErrorText(2), "ﾌｧｲﾙが見つかりません");
  EXPECT_EQ(IoErrorText(5), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
  EXPECT_EQ(IoErrorText(-7), "I/O ｴﾗｰ (-7)");
  // A full stop follows unless the last byte sorts at or below ".".
  for (const std::string m : {"書き込めません", "x/"}) EXPECT_EQ(WithFullStop(m), m + ".");
  for (const std::string m : {"(32)", "done.", "dash-", ""}) EXPECT_EQ(WithFullStop(m), m);
}

// A file handed to the program by Explorer arrives on its command line.
TEST(FirstCommandLineArgument, UnquotesAsTheRuntimeDoes) {
  const std::pair<const char*, const char*> rows[] = {
      {"", ""},
      {"   ", ""},
      {"C:\\a.txt", "C:\\a.txt"},
      {"  C:\\a.txt  C:\\b.txt", "C:\\a.txt"},
      {"\"C:\\My Files\\a.txt\" \"C:\\b c.txt\"", "C:\\My Files\\a.txt"},
      {"\t\"a b\"c d", "a bc"},
      {"C:\\dir\\", "C:\\dir\\"},
      {"a\\\\\\\"b", "a\\\"b"},  // three backslashes and a quote: one, and the quote
      {"\"a\\\\\" b", "a\\"},    // two backslashes and a quote: one, and the quote closes
      {"\"C:\\\x95\x5c\" x", "C:\\\x95\x5c"},  // 表: its second byte escapes nothing
      {"\"C:\\\x83\x5c\\", "C:\\\x83\x5c\\"},  // ソ, and an unclosed quote
  };
  for (const auto& [line, first] : rows) EXPECT_EQ(FirstCommandLineArgument(line), first) << line;
}

}  // namespace
}  // namespace miwake
