#include "app/miwake_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/memory_file_system.h"

namespace miwake {
namespace {

// The expected output is UTF-8 whatever the compiler's execution charset.
std::string U8(std::u8string_view s) {
  return std::string(s.begin(), s.end());
}

TEST(MiwakeCliTest, PrintsASentenceOrJsonPerFileAndReportsProblems) {
  testing::MemoryFileSystem files;
  files.Add("memo.txt", "hello\n");
  files.Add("pic.dat", "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0b\x0c");
  files.Add("a\"b\\c\td", "x").refuse_open = true;
  files.Add("-", "text");
  files.Add("--json", "text");
  const std::string text = U8(u8"これはテキスト(TXT)ファイルです。\n"), usage = "Usage: miwake";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
    bool utf8 = true;
  } cases[] = {
      {{"memo.txt"}, kExitAllIdentified, text, ""},
      {{"memo.txt"}, kExitAllIdentified, "これはテキスト(TXT)ファイルです。\n", "", false},
      {{"missing", "", "memo.txt", "a\"b\\c\td"},
       kExitSomeNotIdentified,
       "memo.txt: " + text + U8(u8"a\"b\\c\td: このファイルは実行中のため判別不能です。\n"),
       U8(u8"miwake: \"missing\": ファイルが存在しません！\n"
          u8"miwake: \"\": ファイル名を入力して下さい！\n")},
      {{"-", "--", "--json"}, kExitAllIdentified, "-: " + text + "--json: " + text, ""},
      {{"--json", "pic.dat", "a\"b\\c\td"},
       kExitSomeNotIdentified,
       U8(u8"{\"path\":\"pic.dat\",\"code\":108,\"extension\":\"gif\",\"label\":\"画像(GIF)\","
          u8"\"sentence\":\"これは画像(GIF)ファイルです。\"}\n"
          u8"{\"path\":\"a\\\"b\\\\c\\u0009d\",\"code\":-1,\"extension\":\"\",\"label\":null,"
          u8"\"sentence\":\"このファイルは実行中のため判別不能です。\"}\n"),
       ""},
      {{}, kExitUsage, "", "miwake: no file named\n" + usage},
      {{"--bogus", "memo.txt"}, kExitUsage, "", "miwake: unknown option --bogus\n" + usage},
      {{"memo.txt", "-h"}, kExitAllIdentified, usage, ""},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunMiwake(c.args, {files, out, err, c.utf8, false, "note"}), c.status);
    // Of the usage text, only its first words are checked.
    const auto cut = [&](const std::string& s) {
      const auto at = s.find(usage);
      return at == std::string::npos ? s : s.substr(0, at + usage.size());
    };
    EXPECT_EQ(cut(out.str()), c.out) << ::testing::PrintToString(c.args);
    EXPECT_EQ(cut(err.str()), c.err) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace miwake
