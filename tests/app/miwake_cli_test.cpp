#include "app/miwake_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "identify/classifier.h"
#include "support/memory_file_system.h"

namespace miwake {
namespace {

// The expected output is UTF-8 whatever the compiler's execution charset.
std::string U8(std::u8string_view s) {
  return std::string(s.begin(), s.end());
}

struct Outcome {
  int status;
  std::string out, err;
};

class MiwakeCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheAnswerCache() = AnswerCache{};
    files.Add("memo.txt", "hello\n");
    files.Add("pic.dat", "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0b\x0c");
    files.Add("in use", "x").refuse_open = true;
    files.Add("-dash", "text");
  }
  Outcome Miwake(std::vector<std::string> args, bool utf8 = true) {
    std::ostringstream out, err;
    const CliEnvironment env{files, out, err, utf8, false, "note"};
    const int status = RunMiwake(args, env);
    return {status, out.str(), err.str()};
  }
  testing::MemoryFileSystem files;
};

TEST_F(MiwakeCliTest, PrintsTheSentenceOfOneFile) {
  const Outcome run = Miwake({"memo.txt"});
  EXPECT_EQ(run.status, kExitAllIdentified);
  EXPECT_EQ(run.out, U8(u8"これはテキスト(TXT)ファイルです。\n"));
  EXPECT_EQ(run.err, "");
}

TEST_F(MiwakeCliTest, NamesEachFileWhenThereAreSeveral) {
  const Outcome run = Miwake({"memo.txt", "pic.dat"});
  EXPECT_EQ(run.out, U8(u8"memo.txt: これはテキスト(TXT)ファイルです。\n"
                        u8"pic.dat: これは画像(GIF)ファイルです。\n"));
}

TEST_F(MiwakeCliTest, ReportsProblemsAndGoesOn) {
  const Outcome run = Miwake({"missing", "", "memo.txt", "in use"});
  EXPECT_EQ(run.status, kExitSomeNotIdentified);
  EXPECT_EQ(run.err, U8(u8"miwake: \"missing\": ファイルが存在しません！\n"
                        u8"miwake: \"\": ファイル名を入力して下さい！\n"));
  EXPECT_EQ(run.out, U8(u8"memo.txt: これはテキスト(TXT)ファイルです。\n"
                        u8"in use: このファイルは実行中のため判別不能です。\n"));
}

TEST_F(MiwakeCliTest, PrintsOneJsonObjectPerLine) {
  const Outcome run = Miwake({"--json", "pic.dat", "in use"});
  EXPECT_EQ(run.status, kExitSomeNotIdentified);
  EXPECT_EQ(run.out,
            U8(u8"{\"path\":\"pic.dat\",\"code\":108,\"extension\":\"gif\",\"label\":\"画像(GIF)\","
               u8"\"sentence\":\"これは画像(GIF)ファイルです。\"}\n"
               u8"{\"path\":\"in use\",\"code\":-1,\"extension\":\"\",\"label\":null,"
               u8"\"sentence\":\"このファイルは実行中のため判別不能です。\"}\n"));
}

TEST_F(MiwakeCliTest, EscapesNamesInJson) {
  files.Add("a\"b\\c\td", "text");
  const Outcome run = Miwake({"--json", "a\"b\\c\td"});
  EXPECT_NE(run.out.find(R"("path":"a\"b\\c\u0009d")"), std::string::npos) << run.out;
}

TEST_F(MiwakeCliTest, KeepsShiftJisWhenAskedTo) {
  const Outcome run = Miwake({"memo.txt"}, /*utf8=*/false);
  EXPECT_EQ(run.out, "これはテキスト(TXT)ファイルです。\n");  // compiled as code page 932
}

TEST_F(MiwakeCliTest, CommandLineUsage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    bool usage_on_stdout;
  } cases[] = {
      {{}, kExitUsage, false},
      {{"--json"}, kExitUsage, false},
      {{"--bogus", "memo.txt"}, kExitUsage, false},
      {{"--help"}, kExitAllIdentified, true},
      {{"--", "-dash"}, kExitAllIdentified, false},
  };
  for (const Case& c : cases) {
    const Outcome run = Miwake(c.args);
    EXPECT_EQ(run.status, c.status) << ::testing::PrintToString(c.args);
    EXPECT_EQ(run.out.starts_with("Usage: miwake"), c.usage_on_stdout);
    if (c.status == kExitUsage) {
      EXPECT_NE(run.err.find("Usage: miwake"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace miwake
