#include "actions/identify_command.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/memory_file_system.h"

namespace miwake {
namespace {

using testing::ShownBox;

const ShownBox kEnterName{"ファイル名を入力して下さい！", "警告", 0x30};
const ShownBox kNoSuchFile{"ファイルが存在しません！", "警告", 0x30};

class IdentifyCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheAnswerCache() = AnswerCache{};
    files.Add("memo.doc", "plain text\r\n");
    files.Add("blob", std::string(50, '\x02'));
    files.Add("busy", "x").refuse_open = true;
  }
  void Run(const std::string& name) {
    IdentifyCommand(name, CommandPorts{{files, cursor, refiner}, boxes, result});
  }
  testing::MemoryFileSystem files;
  NoBusyCursor cursor;
  KeepExecutableCode refiner;
  testing::ScriptedMessageBox boxes;
  testing::RecordingResultField result;
};

TEST_F(IdentifyCommandTest, WritesTheSentenceOfTheKind) {
  const std::pair<std::string, std::string> cases[] = {
      {"memo.doc", "これはテキスト(TXT)ファイルです。"},
      {"blob", "これはその他のファイルです。"},
      {"busy", "このファイルは実行中のため判別不能です。"},
  };
  for (const auto& [name, sentence] : cases) {
    Run(name);
    EXPECT_EQ(result.text, sentence) << name;
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(IdentifyCommandTest, WarnsAndLeavesTheResultAlone) {
  const std::pair<std::string, ShownBox> cases[] = {
      {"", kEnterName},
      {"   ", kNoSuchFile},  // blanks are a name, not an empty one
      {"\"memo.doc\"", kNoSuchFile},
      {"missing", kNoSuchFile},
  };
  for (const auto& [name, box] : cases) {
    boxes.shown.clear();
    Run(name);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{box}) << '"' << name << '"';
  }
  EXPECT_EQ(result.writes, 0);
  EXPECT_EQ(files.opens, 0) << "the classifier must not be asked";
}

TEST_F(IdentifyCommandTest, EmptiesTheResultForACodeWithoutLabel) {
  struct OutOfTable final : ExecutableRefiner {
    int Refine(const std::string&, int) override { return 14; }
  } odd;
  files.Add("odd.exe", "MZ" + std::string(100, '\x02'));
  IdentifyCommand("odd.exe", CommandPorts{{files, cursor, odd}, boxes, result});
  EXPECT_EQ(result.text, "");
  EXPECT_EQ(result.writes, 1);
}

TEST(IdentifySentenceTest, JoinsTheLabelOrHasNone) {
  EXPECT_EQ(IdentifySentence(51), "これはWord (DOC)のファイルです。");
  EXPECT_EQ(IdentifySentence(14), std::nullopt);
}

}  // namespace
}  // namespace miwake
