// 起動 and 変更＆起動 through the real window, the real registry of the test
// prefix and real processes: a recorder program of ours, registered for
// kinds that a fresh prefix associates with nothing, writes down the command
// line it was started with.
#include <fstream>

#include "actions/ports_win32.h"
#include "app/main_form_fixture.h"
#include "common/win32_handle.h"

namespace miwake {
namespace {

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine's drive for the Unix root
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

const std::string kRecorder = WindowsPath(MIWAKE_RECORDER_EXE);

void SetDefault(const std::string& path, DWORD type, const std::string& data) {
  HKEY created = nullptr;
  ::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &created, nullptr);
  const RegistryKey key(created);
  const DWORD size = static_cast<DWORD>(data.size() + (type == REG_DWORD ? 0 : 1));
  ASSERT_EQ(::RegSetValueExA(key.get(), nullptr, 0, type,
                             reinterpret_cast<const BYTE*>(data.data()), size),
            0);
}

// ".ext" and its class under HKEY_CLASSES_ROOT, removed however the test ends.
struct TestAssociation {
  TestAssociation(const std::string& ext, DWORD type, const std::string& command)
      : ext("." + ext), name("miwake.test." + ext) {
    SetDefault(this->ext, REG_SZ, name);
    SetDefault(name + "\\shell\\open\\command", type, command);
  }
  ~TestAssociation() {
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ext.c_str());
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, name.c_str());
  }
  std::string ext, name;
};

// The real starter, with each start noted among the result field's paints.
struct LoggingStarter final : ProgramStarter {
  std::uintptr_t StartProgram(const std::string& command_line) override {
    log.push_back("<start>");
    return real.StartProgram(command_line);
  }
  std::uintptr_t OpenDocument(const std::string& file, bool owned) override {
    log.push_back("<open>");
    return real.OpenDocument(file, owned);
  }
  Win32ProgramStarter real;
  std::vector<std::string> log;
};

LRESULT CALLBACK LogPaint(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR log) {
  if (msg == WM_PAINT) reinterpret_cast<std::vector<std::string>*>(log)->push_back("<paint>");
  return ::DefSubclassProc(hwnd, msg, w, l);
}

class LaunchTest : public testing::MainFormTest {
 protected:
  void SetUp() override {
    associations = &registry;
    starter = &logging;
    ::SetEnvironmentVariableA("MIWAKE_RECORD", record.c_str());
    ::SetEnvironmentVariableA("MIWAKE_RECORDER", kRecorder.c_str());
    Make();
    ::SetWindowSubclass(Item(kEdit2), LogPaint, 1, reinterpret_cast<DWORD_PTR>(&logging.log));
    logging.log.clear();
  }
  // The recorded command lines, once `count` of them have arrived.
  std::vector<std::string> Recorded(std::size_t count) {
    std::vector<std::string> lines;
    for (int i = 0; i < 500 && lines.size() < count; ++i, ::Sleep(20)) {
      lines.clear();
      std::ifstream in(record);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    return lines;
  }

  Win32FileAssociations registry;
  LoggingStarter logging;
  std::string record = scratch.path() + "record.txt";
};

const std::string kMaki = "MAKI01" + std::string(64, '\x01');          // MKI: the quoted form
const std::string kLzh = "\x01\x02\x03lh5" + std::string(64, '\x01');  // LZH: the plain form

TEST_F(LaunchTest, StartsTheAssociatedProgramWithTheFile) {
  const TestAssociation maki("mki", REG_SZ, "\"" + kRecorder + "\" \"%1\"");
  const TestAssociation lzh("lzh", REG_EXPAND_SZ, "%MIWAKE_RECORDER% %1");
  const std::string photo = scratch.Write("photo.dat", kMaki);
  const std::string archive = scratch.Write("archive.bin", kLzh);
  const std::string spaced = scratch.Write("old archive.bin", kLzh);
  EXPECT_EQ(Run(kButton6, photo), "画像ソフトを起動します。");
  EXPECT_EQ(logging.log, (std::vector<std::string>{"<paint>", "<start>"}))
      << "the announcement is painted before the start";
  EXPECT_EQ(Run(IDM_P2, archive), "解凍ソフトを起動します。");
  EXPECT_EQ(Run(kButton6, spaced), "解凍ソフトを起動します。");
  EXPECT_EQ(Recorded(3), (std::vector<std::string>{"\"" + kRecorder + "\" \"" + photo + "\"",
                                                   kRecorder + " " + archive,
                                                   kRecorder + " \"" + spaced + "\""}));

  EXPECT_EQ(Run(kButton7, photo), "拡張子を mkiに変更しました。画像ソフトを起動します。");
  ASSERT_EQ(Recorded(4).size(), 4u);
  EXPECT_NE(Recorded(4)[3].find(scratch.path() + "photo.mki"), std::string::npos);
  // Wine as root reports a rename that only changes the letter case as done,
  // and keeps the old spelling; the program reports what the system said.
  const std::string upper = scratch.Write("PIC.MKI", kMaki);
  EXPECT_EQ(Run(IDM_N3, upper), "拡張子を mkiに変更しました。画像ソフトを起動します。");
  EXPECT_EQ(Recorded(5).size(), 5u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LaunchTest, RefusalsMissingKeysAndAWrongValueType) {
  const std::string exe = scratch.Write("tool.bin", "MZ" + std::string(100, '\x01'));
  const std::string photo = scratch.Write("photo.dat", kMaki);
  EXPECT_EQ(Run(kButton6, exe), "Exeファイルのため起動させません。");
  EXPECT_EQ(Run(kButton6, photo), "該当するアプリケーションがありません。") << "no .mki key";
  {
    const TestAssociation missing("mki", REG_SZ, "\"" + scratch.path() + "gone.exe\" \"%1\"");
    EXPECT_EQ(Run(kButton6, photo), "画像ソフトを起動します。起動できませんでした。");
    scratch.Write("photo.mki", "in the way");
    EXPECT_EQ(Run(kButton7, photo), "mkiの拡張子がついたファイルがあるので変更できません！");
  }
  const TestAssociation no_command("mki", REG_SZ, "");
  EXPECT_EQ(Run(kButton6, photo), "該当するアプリケーションがありません。");
  const DWORD one = 1;
  SetDefault(".mki", REG_DWORD, std::string(reinterpret_cast<const char*>(&one), 4));
  logging.log.clear();
  EXPECT_EQ(Run(kButton6, photo), "該当するアプリケーションがありません。") << "left as it was";
  EXPECT_EQ(boxes.shown,
            std::vector<testing::ShownBox>(1, {"'' のﾃﾞｰﾀ型が不正です.", "ミワケール", 0x10}));
  EXPECT_TRUE(logging.log.empty()) << "nothing is started";
}

}  // namespace
}  // namespace miwake
