#include "actions/identify_command.h"

#include "support/command_test.h"

namespace miwake {
namespace {

using IdentifyCommandTest = testing::CommandTest;

TEST_F(IdentifyCommandTest, WritesTheSentenceOrWarnsAndLeavesTheResultAlone) {
  files.Add("memo.doc", testing::kTextBytes);
  files.Add("busy", "x").refuse_open = true;
  files.Add("libx.exe", testing::kExeBytes);
  const testing::ShownBox enter_name{"ファイル名を入力して下さい！", "警告", 0x30};
  const testing::ShownBox no_such_file{"ファイルが存在しません！", "警告", 0x30};
  const struct {
    std::string name, sentence;
    std::vector<testing::ShownBox> boxes = {};
  } cases[] = {
      {"memo.doc", "これはテキスト(TXT)ファイルです。"},
      {"busy", "このファイルは実行中のため判別不能です。"},
      {"libx.exe", "これはダイナミックリンクライブラリ(DLL)ファイルです。"},
      {"", "", {enter_name}},
      {"   ", "", {no_such_file}},  // blanks are a name, not an empty one
      {"\"memo.doc\"", "", {no_such_file}},
  };
  for (const auto& c : cases) {
    boxes.shown.clear();
    result.events.clear();
    IdentifyCommand(c.name, Ports());
    EXPECT_EQ(boxes.shown, c.boxes) << c.name;
    EXPECT_EQ(result.events, c.boxes.empty() ? std::vector{c.sentence} : std::vector<std::string>())
        << c.name;
  }
  EXPECT_EQ(IdentifySentence(14), std::nullopt) << "a code without a label";
}

}  // namespace
}  // namespace miwake
