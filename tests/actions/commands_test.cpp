// The commands as the user sees them: the boxes, the texts of the result
// field, the repaints and the starts, in their order.
#include <gtest/gtest.h>

#include "actions/associations.h"
#include "actions/file_commands.h"
#include "actions/identify_command.h"
#include "actions/launch_commands.h"
#include "common/app_error.h"
#include "identify/kinds.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"

namespace miwake {
namespace {

using Command = void (*)(const std::string&, const CommandPorts&);

const Command kChange = ChangeExtCommand, kDelete = DeleteCommand, kLaunch = LaunchCommand,
              kBoth = ChangeAndLaunchCommand, kIdentify = IdentifyCommand;
const std::string kTextBytes = "plain text\r\n", kExeBytes = "MZ" + std::string(100, '\x01');
const std::string kGif("GIF89a\x01\x02\x03\x04\x05\x06\x07\x08", 14);
const std::string kZip("PK\x03\x04\x01\x02\x03\x04", 8);
const std::string kRupo = "TOSHIBA" + std::string(50, '\x02');
const std::string kBlob(50, '\x02');

// Executables tell their sub-kind by name here, as their version resource would.
struct SubKindByName final : ExecutableRefiner {
  int Refine(const std::string& name, int code) override {
    for (const auto& [part, sub_kind] : {std::pair{"lib", 2}, {"saver", 4}, {"revoked", 6}})
      if (name.find(part) != std::string::npos) return sub_kind;
    return code;
  }
};

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ports.values = {{".txt", {kRegSz, "txtfile"}},
                    {"txtfile\\shell\\open\\command", {kRegSz, "\"C:\\WINDOWS\\NOTEPAD.EXE\" %1"}},
                    {".zip", {kRegSz, "zipfile"}},
                    {".lzh", {kRegSz, "zipfile"}},
                    {".hlp", {kRegSz, "zipfile"}},
                    {"zipfile\\shell\\open\\command", {kRegSz, "C:\\Tools\\unzip.exe %1"}},
                    {".dll", {kRegSz, "dllfile"}},
                    {"dllfile\\shell\\open\\command", {kRegSz, "C:\\Tools\\dep.exe %1"}},
                    {".crl", {kRegSz, "crlfile"}},
                    {".mdb", {kRegSz, "crlfile"}},
                    {"crlfile\\shell\\open\\command", {kRegSz, "C:\\Tools\\cert.exe %1"}}};
  }
  // What one run shows, events joined by " | ".
  std::string Run(Command command, const std::string& name, int answer = kIdYes) {
    ports.log.clear();
    ports.answers = {answer};
    command(name, {identifier, files, ports, ports, ports, ports});
    std::string shown;
    for (std::size_t i = 0; i < ports.log.size(); ++i)
      shown += (i == 0 ? "" : " | ") + ports.log[i];
    return shown;
  }
  testing::MemoryFileSystem files;
  SubKindByName refiner;
  Classifier classifier{refiner};
  testing::FakePorts ports;
  Identifier identifier{classifier, files, ports};
};

// What the user sees of a rename to .txt: the question, then the outcome.
const std::string kAsk = "[拡張子を txt に変更しますか？]";
const std::string kRenamed = kAsk + " | 拡張子を txtに変更しました。";
const std::string kNoProgram = "該当するアプリケーションがありません。";
const std::string kNotepad = "<start> \"C:\\WINDOWS\\NOTEPAD.EXE\" ";
const std::string kUnzip = "解凍ソフトを起動します。 | <repaint> | <start> C:\\Tools\\unzip.exe ";
const std::string kEditor = "に変更しました。エディタを起動します。 | <repaint>";

TEST_F(CommandsTest, EachCommandOnEachKindOfFile) {
  files.Add("taken.txt", "the other file");
  const struct {
    Command command;
    std::string name, bytes;
    std::string shown;
    const char* now_named;  // null: gone
    int answer = kIdYes;
  } cases[] = {
      {kIdentify, "memo.doc", kTextBytes, "これはテキスト(TXT)ファイルです。", "memo.doc"},
      {kIdentify, "libx.exe", kExeBytes, "これはダイナミックリンクライブラリ(DLL)ファイルです。",
       "libx.exe"},
      {kChange, "a.doc", kTextBytes, kRenamed, "a.txt"},
      {kChange, "C:\\d.old\\e", kTextBytes, kRenamed, "C:\\d.old\\e.txt"},
      {kChange, "f.表", kTextBytes, kRenamed, "f.txt"},      // 表 ends in 0x5C, no backslash
      {kChange, "g.ＴＸＴ", kTextBytes, kRenamed, "g.txt"},  // full-width is not folded
      {kChange, "lib.exe", kExeBytes,
       "[拡張子を dll に変更しますか？] | 拡張子を dllに変更しました。", "lib.dll"},
      {kChange, "h.doc", kTextBytes, kAsk, "h.doc", kIdNo},
      {kChange, "i.doc", kTextBytes, kRenamed, "i.txt", 0},  // only No holds it back
      {kChange, "taken.doc", kTextBytes,
       kAsk + " | txtの拡張子がついたファイルがあるので変更できません！", "taken.doc"},
      {kChange, "j.TxT", kTextBytes, "正しい拡張子がついてます。", "j.TxT"},
      {kChange, "k.txt", kBlob, "その他のファイルです。変更できません。", "k.txt"},
      {kChange, "l.txt", kRupo, "ルポのファイルなので変更しません。", "l.txt"},
      {kDelete, "m.exe", kExeBytes, "[削除してもよろしいですか？] | 削除しました。", nullptr},
      {kDelete, "n.exe", kExeBytes, "[削除してもよろしいですか？]", "n.exe", kIdNo},
      {kDelete, "o.exe", kExeBytes, "[削除してもよろしいですか？]", "o.exe", 0},
      {kLaunch, "p.doc", kTextBytes,
       "エディタを起動します。 | <repaint> | " + kNotepad + "\"p.doc\"", "p.doc"},
      {kLaunch, "q.bin", kZip, kUnzip + "q.bin", "q.bin"},
      {kLaunch, "r s.bin", kZip, kUnzip + "\"r s.bin\"", "r s.bin"},
      {kLaunch, "h.bin", "?_" + kBlob,
       "ヘルプファイルを開きます。 | <repaint> | <start> C:\\Tools\\unzip.exe h.bin", "h.bin"},
      {kLaunch, "lib2.bin", kExeBytes, " | <repaint> | <start> \"C:\\Tools\\dep.exe\" \"lib2.bin\"",
       "lib2.bin"},
      {kLaunch, "db.bin", "\x01\x01\x01\x01Standard Jet DB",
       "Accessを起動します。 | <repaint> | <start> \"C:\\Tools\\cert.exe\" \"db.bin\"", "db.bin"},
      {kLaunch, "t.bin", kExeBytes, "Exeファイルのため起動させません。", "t.bin"},
      {kLaunch, "saver.exe", kExeBytes, "スクリーンセーバーのため起動させません。", "saver.exe"},
      {kLaunch, "u.txt", kRupo, "ルポのファイルため起動できません。", "u.txt"},
      {kLaunch, "revoked.bin", kExeBytes, kNoProgram, "revoked.bin"},
      {kLaunch, "v.dat", kGif, kNoProgram, "v.dat"},
      {kLaunch, "w.dat", kBlob, kNoProgram, "w.dat"},
      {kBoth, "x.doc", kTextBytes, "<open> owned x.txt | 拡張子を txt" + kEditor, "x.txt"},
      {kBoth, "y.txt", kTextBytes, "<open> owned y.txt | 拡張子を txt" + kEditor, "y.txt"},
      {kBoth, "revoked2.bin", kExeBytes,
       "<open> owned revoked2.crl | 拡張子を crlに変更しました。 | <repaint>", "revoked2.crl"},
      {kBoth, "z.dat", kGif,
       "<open> owned z.gif | 拡張子を gifに変更しました。" + kNoProgram + " | <repaint>", "z.gif"},
      {kBoth, "prog.bin", kExeBytes, "Exeファイルのため起動させません。", "prog.exe"},
      {kBoth, "saver2.bin", kExeBytes, "スクリーンセーバーのため起動させません。", "saver2.scr"},
      {kBoth, "taken.dat", kTextBytes, "txtの拡張子がついたファイルがあるので変更できません！",
       "taken.dat"},
      {kBoth, "A.dat", kBlob, "その他のファイルです。変更＆起動できません。 | <repaint>", "A.dat"},
      {kBoth, "B.dat", kRupo, "ルポのファイルなので変更＆起動しません。 | <repaint>", "B.dat"},
  };
  for (const auto& c : cases) {
    files.Add(c.name, c.bytes);
    EXPECT_EQ(Run(c.command, c.name, c.answer), c.shown) << c.name;
    EXPECT_EQ(files.FileExists(c.name), c.now_named != nullptr && c.now_named == c.name) << c.name;
    EXPECT_TRUE(c.now_named == nullptr || files.files[c.now_named].bytes == c.bytes) << c.name;
  }
  EXPECT_EQ(files.files["taken.txt"].bytes, "the other file");
  for (const testing::ShownBox& box : ports.shown) {
    const bool deleting = box.text == "削除してもよろしいですか？";
    EXPECT_EQ(box.caption, deleting ? "削除" : "拡張子の変更");
    EXPECT_EQ(box.flags, deleting ? 0x34u : 0x24u);
  }
}

// Each kind that starts a program: what is announced, and whether the
// program gets the name without quotes (archivers and the help viewer).
TEST(LaunchTableTest, AnnouncementsAndHowTheNameIsGiven) {
  const std::string editor = "エディタを起動します。", sound = "サウンド再生ソフトを起動します。",
                    image = "画像ソフトを起動します。", unpack = "解凍ソフトを起動します。";
  // clang-format off
  const struct {
    int code;
    std::string announced;
    bool plain = false;
  } rows[] = {
      {1, editor}, {31, sound}, {32, "動画再生ソフトを起動します。"}, {33, sound},
      {51, "Wordを起動します。"}, {52, "Excelを起動します。"}, {53, "一太郎を起動します。"},
      {54, "Power Pointを起動します。"}, {101, "Wordを起動します。"}, {102, "Excelを起動します。"},
      {103, image}, {106, unpack, true}, {107, image}, {108, image}, {109, image},
      {110, unpack, true}, {111, unpack, true}, {112, "Accessを起動します。"}, {114, image},
      {115, "ヘルプファイルを開きます。", true}, {116, sound}, {2, ""}, {105, ""},
  };
  // clang-format on
  for (const auto& [code, announced, plain] : rows) {
    EXPECT_EQ(LaunchAnnouncement(code), announced) << code;
    EXPECT_EQ(LaunchCommandLine(code, "C:\\P\\p.exe", "a.b"),
              plain ? "C:\\P\\p.exe a.b" : "\"C:\\P\\p.exe\" \"a.b\"")
        << code;
  }
  const auto announcing = std::ranges::count_if(
      AllKinds(), [](const KindInfo& kind) { return !LaunchAnnouncement(kind.code).empty(); });
  EXPECT_EQ(announcing, 21) << "and no other";
}

TEST_F(CommandsTest, FailuresAsTheyAreTold) {
  files.Add("busy.doc", kTextBytes).refuse_open = true;
  files.Add("held.exe", kExeBytes).refuse_delete = true;
  for (const Command command : {kIdentify, kChange, kLaunch, kBoth, kDelete}) {
    EXPECT_EQ(Run(command, ""), "[ファイル名を入力して下さい！]");
    // Blanks are a name, not an empty one; quotes are part of the name.
    for (const char* name : {"missing.doc", "   ", "\"busy.doc\""})
      EXPECT_EQ(Run(command, name), "[ファイルが存在しません！]");
    EXPECT_EQ(ports.shown.back(), (testing::ShownBox{"ファイルが存在しません！", "警告", 0x30}));
  }
  EXPECT_EQ(Run(kIdentify, "busy.doc"), "このファイルは実行中のため判別不能です。");
  EXPECT_EQ(Run(kChange, "busy.doc"), "このファイルは実行中のため変更できません。");
  EXPECT_EQ(Run(kLaunch, "busy.doc"), "現在実行中です。");
  EXPECT_EQ(Run(kBoth, "busy.doc"), "このファイルは実行中のため変更＆起動できません。 | <repaint>");
  EXPECT_EQ(Run(kDelete, "held.exe"),
            "[削除してもよろしいですか？] | 実行中のため削除できませんでした。");

  // The system shows nothing when the program named in an association is
  // missing, so the failure is told here.
  ports.start_answer = 31;  // the highest failure of WinExec; 32 is that of ShellExecuteA
  files.Add("memo.doc", kTextBytes);
  files.Add("lib.bin", kExeBytes);
  files.Add("c.doc", kTextBytes);
  files.Add("d.dat", kGif);
  EXPECT_TRUE(Run(kLaunch, "memo.doc").ends_with("| エディタを起動します。起動できませんでした。"));
  EXPECT_TRUE(Run(kLaunch, "lib.bin").ends_with("| 起動できませんでした。"));
  ports.start_answer = 32;
  EXPECT_EQ(Run(kBoth, "c.doc"),
            "<open> owned c.txt | 拡張子を "
            "txtに変更しました。エディタを起動します。起動できませんでした。 | "
            "<repaint>");
  EXPECT_EQ(
      Run(kBoth, "d.dat"),
      "<open> owned d.gif | 拡張子を gifに変更しました。該当するアプリケーションがありません。 | "
      "<repaint>");

  // A registry value of the wrong type ends the command, after the rename.
  ports.values[".txt"] = {4, std::string("\x01\0\0\0", 4)};
  files.Add("note.doc", kTextBytes);
  EXPECT_THROW(Run(kBoth, "note.doc"), AppError);
  EXPECT_TRUE(files.FileExists("note.txt"));
  EXPECT_THROW(Run(kLaunch, "note.txt"), AppError);
  EXPECT_TRUE(ports.log.empty());
}

TEST_F(CommandsTest, HelpOpensTheHelpFileElseTheReadmeElseSaysSo) {
  const std::string hlp = "A\\Fmiwaker.hlp", both = "<open> " + hlp + " | <open> A\\readme.txt";
  for (const auto& [answers, shown] :
       {std::pair{std::map<std::string, std::uintptr_t>{{hlp, 33}}, "<open> " + hlp},
        {{{hlp, 32}}, both},
        {{{hlp, 2}, {"A\\readme.txt", 32}}, both + " | [ヘルプを開けませんでした。]"}}) {
    ports.open_answers = answers;
    EXPECT_EQ(Run(HelpCommand, "A\\"), shown);
  }
  EXPECT_EQ(ports.shown,
            (std::vector<testing::ShownBox>{{"ヘルプを開けませんでした。", "ミワケール", 0x30}}));
}

TEST(ProgramPathTest, ReducesTheStoredCommandToAnExecutable) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\WINDOWS\\NOTEPAD.EXE %1", "C:\\WINDOWS\\NOTEPAD.EXE"},
      {"\"C:\\Program Files\\Viewer\\view.exe\" \"%1\"", "C:\\Program Files\\Viewer\\view.exe"},
      {"C:\\Program Files\\Viewer\\view.exe /open %1", "C:\\Program Files\\Viewer\\view.exe"},
      {"rundll32.exe shell32.dll,Entry %1", "rundll32.exe"},
      {"%SystemRoot%\\system32\\mspaint.exe \"%1\"", "%SystemRoot%\\system32\\mspaint.exe"},
      {"C:\\WINDOWS\\write.com %1", ""},
      {"\"C:\\Tools\\open.cmd\" %1", ""},
      {"\"C:\\Tools\\app.exe", "C:\\Tools\\app.exe"},
      {"\"C:\\a.exe.d\\tool.exe\" \"%1\"", "C:\\a.exe.d\\tool.exe"},
      {"C:\\a.exe.d\\tool.exe %1", "C:\\a.exe"},
      {"C:\\x\\APP.Exe", "C:\\x\\APP.Exe"},
      {"C:\\x\\app.ｅｘｅ", ""},
      {"exe", ""},
      {"\"\" C:\\x.exe", ""},
      {"", ""}};
  for (const auto& [command, path] : cases)
    EXPECT_EQ(ProgramPathFromCommand(command), path) << command;
}

TEST(FindAssociatedProgramTest, ReadsTheClassThenItsCommand) {
  testing::FakePorts registry;
  registry.values = {
      {".txt", {kRegSz, std::string("txtfile\0junk", 12)}},
      {"txtfile\\shell\\open\\command", {kRegSz, "C:\\WINDOWS\\NOTEPAD.EXE %1"}},
      {".bmp", {kRegSz, "paint"}},
      {"paint\\shell\\open\\command", {kRegExpandSz, "%SystemRoot%\\mspaint.exe \"%1\""}},
      {".gif", {kRegSz, "raw"}},
      {"raw\\shell\\open\\command", {kRegSz, "%SystemRoot%\\view.exe"}},
      {".zip", {kRegSz, ""}},
      {".cab", {4, ""}},  // empty: its type does not matter
      {".lzh", {4, std::string("\x01\0\0\0", 4)}}};
  EXPECT_EQ(FindAssociatedProgram("txt", registry), "C:\\WINDOWS\\NOTEPAD.EXE");
  EXPECT_EQ(FindAssociatedProgram("bmp", registry), "C:\\WINDOWS\\mspaint.exe");
  EXPECT_EQ(FindAssociatedProgram("gif", registry), "%SystemRoot%\\view.exe");
  for (const char* ext : {"zip", "cab", "", "jpg"}) {
    registry.asked.clear();
    EXPECT_EQ(FindAssociatedProgram(ext, registry), "") << ext;
    // The command is asked for even without a class name.
    EXPECT_EQ(registry.asked,
              (std::vector<std::string>{"." + std::string(ext), "\\shell\\open\\command"}));
  }
  EXPECT_THROW(
      try { FindAssociatedProgram("lzh", registry); } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "'' のﾃﾞｰﾀ型が不正です");
        throw;
      },
      AppError);
}

TEST_F(CommandsTest, IdentifyFileAnswersARepeatedNameFromItsCacheWithoutTheBusyCursor) {
  Identifier identifier{classifier, files, ports};
  const auto identify = [&](const std::string& name) {
    const int code = identifier.IdentifyFile(name);
    EXPECT_EQ(ports.busy_depth, 0) << "busy cursor left on";
    return code;
  };
  files.Add("memo", kBlob);
  files.Add("MEMO", kTextBytes);
  EXPECT_EQ(identify("memo"), 0);
  files.Add("memo", kTextBytes);  // changed meanwhile: the cache still answers, "other" too
  EXPECT_EQ(identify("memo"), 0);
  EXPECT_EQ(ports.busy, 1) << "a cached answer shows no busy cursor";
  EXPECT_EQ(identify("MEMO"), 1) << "another letter case is another name";
  EXPECT_EQ(identify("memo"), 1);
  files.Add("memo", kGif);
  identifier.ForgetLastFile();
  EXPECT_EQ(identify("memo"), 108);
  files.Add("gone", kTextBytes).refuse_open = true;
  EXPECT_EQ(identify("gone"), kKindUnreadable);
  files.Add("gone", kTextBytes);
  EXPECT_EQ(identify("gone"), 1) << "a failure is not cached";
  EXPECT_EQ(ports.busy, 6);
}

}  // namespace
}  // namespace miwake
