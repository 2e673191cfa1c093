// The real main window under Wine, driven by messages, with its settings
// file in a scratch folder and its message boxes answered by a script.
#include "app/main_form.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>

#include "app/main_form_layout.h"
#include "app/resource_ids.h"
#include "support/fakes.h"
#include "support/pe_builder.h"
#include "support/scratch_folder_win32.h"

namespace miwake {
namespace {

struct FakeOpenDialog final : OpenFileDialog {
  void SetInitialFolder(const std::string& folder) override { initial_folder = folder; }
  std::optional<std::string> Run(HWND) override { return ++runs, answer; }
  std::optional<std::string> initial_folder, answer;
  int runs = 0;
};

std::string Text(HWND window) {
  char buffer[1024] = {};
  ::GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// The window's rectangle in its parent's client coordinates (the screen's for the form).
RECT RectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  if (HWND parent = ::GetParent(window)) {
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

class MainFormTest : public ::testing::Test {
 protected:
  void Make(const std::string& app_dir) {
    MainFormPorts ports{&boxes, app_dir, &dialog,
                        [this](const std::string& file) { opened.push_back(file); }, false};
    form = Tmainform::Create(::GetModuleHandleA(nullptr), ports);
    if (form == nullptr) throw std::runtime_error("the main window was not created");
  }
  void Make() { Make(scratch.path()); }
  void Show() { ::ShowWindow(form->hwnd(), SW_SHOWNORMAL); }
  HWND Item(int id) const { return form->Control(id); }
  std::string StatusText() const {
    char buffer[256] = {};
    // In simple mode the bar answers for part 0 with its simple text.
    ::SendMessageA(Item(kStatusBar1), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  void MouseOver(int id) { ::SendMessageA(Item(id), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3)); }
  void Command(int id) { ::SendMessageA(form->hwnd(), WM_COMMAND, id, 0); }
  void Click(int id) { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }
  void ExpectAt(int left, int top) {
    EXPECT_EQ(RectOf(form->hwnd()).left, left);
    EXPECT_EQ(RectOf(form->hwnd()).top, top);
  }
  std::string Ini(const char* section, const char* key) {
    char value[256] = {};
    ::GetPrivateProfileStringA(section, key, "<none>", value, sizeof value,
                               (scratch.path() + "FMIWAKER.ini").c_str());
    return value;
  }

  testing::ScratchFolder scratch;
  testing::ScriptedMessageBox boxes;
  FakeOpenDialog dialog;
  std::vector<std::string> opened;
  std::unique_ptr<Tmainform> form;
};

TEST_F(MainFormTest, ControlsStandWhereTheDesignPutsThemWithTheirCaptionsAndFonts) {
  Make();
  const struct {
    int id, left, top, width, height;
    const char* caption;
  } design[] = {{kLabel1, 16, 16, 208, 18, "ファイル名を入力して下さい"},
                {kEdit1, 16, 40, 385, 26, ""},
                {kButton1, 416, 40, 65, 25, "参照"},
                {kLabel2, 16, 80, 32, 18, "結果"},
                {kEdit2, 16, 104, 465, 26, ""},
                {kButton2, 16, 152, 70, 33, "判別"},
                {kButton3, 96, 152, 70, 33, "変更"},
                {kButton4, 176, 152, 70, 33, "削除"},
                {kButton6, 256, 152, 70, 33, "起動"},
                {kButton7, 336, 152, 70, 33, "変更＆起動"},
                {kButton5, 416, 152, 70, 33, "終了"}};
  for (const auto& c : design) {
    SCOPED_TRACE(c.id);
    const RECT r = RectOf(Item(c.id));
    EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::array<LONG, 4>{c.left, c.top, c.width, c.height}));
    EXPECT_EQ(Text(Item(c.id)), c.caption);
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(Item(c.id), WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    // Only 変更＆起動 has the window's own font.
    EXPECT_EQ(font.lfFaceName, std::string(c.id == kButton7 ? "ＭＳ Ｐゴシック" : "System"));
    EXPECT_EQ(font.lfHeight, c.id == kButton7 ? -12 : -13);
  }
  EXPECT_EQ(Text(form->hwnd()), "ミワケール");
  const RECT outer = RectOf(form->hwnd());
  EXPECT_EQ(outer.right - outer.left, 500);
  EXPECT_EQ(outer.bottom - outer.top, 270);
  EXPECT_TRUE(::GetWindowLongA(Item(kEdit2), GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(::GetWindowLongA(Item(kEdit1), GWL_STYLE) & ES_READONLY);
}

TEST_F(MainFormTest, MenuHasItsItemsWithTheirMnemonicsAndCommands) {
  Make();
  std::string texts;
  std::vector<UINT> ids;  // 0: a separator
  std::function<void(HMENU)> walk = [&](HMENU menu) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      char text[64] = {};
      ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
      texts += std::string(text) + "|";
      if (const HMENU popup = ::GetSubMenu(menu, i))
        walk(popup);
      else
        ids.push_back(::GetMenuItemID(menu, i));
    }
  };
  walk(::GetMenu(form->hwnd()));
  EXPECT_EQ(
      texts,
      "ファイル(&F)|入力(&N)...|判別(&J)|変更(&C)|削除(&D)|起動(P)|変更＆起動(&G)||終了(&X)|"
      "オプション(&O)|検索フォルダの設定(&S)...|ヘルプ(&H)|ヘルプ(&H)||バージョン情報(&A)...|");
  EXPECT_EQ(ids, (std::vector<UINT>{IDM_KN1, IDM_K2, IDM_K3, IDM_DELETE1, IDM_P2, IDM_N3, 0,
                                    IDM_EXIT1, IDM_K1, IDM_KH2, 0, IDM_KA1}));
}

TEST_F(MainFormTest, SizeIsHeldToTheLimitsAndWideningTo700StretchesTheFieldsAndMovesBrowseOnly) {
  Make();
  // The system fills the record before it asks; these stand for its values.
  MINMAXINFO info{{}, {1030, 780}, {-3, -3}, {112, 27}, {1036, 786}};
  ::SendMessageA(form->hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(
      (std::array{info.ptMinTrackSize.x, info.ptMinTrackSize.y, info.ptMaxTrackSize.x,
                  info.ptMaxTrackSize.y, info.ptMaxSize.x, info.ptMaxSize.y, info.ptMaxPosition.x}),
      (std::array<LONG, 7>{500, 270, 1036, 270, 1030, 780, -3}));
  Show();
  ::SetWindowPos(form->hwnd(), nullptr, 0, 0, 700, 270, SWP_NOMOVE | SWP_NOZORDER);
  const RECT edit1 = RectOf(Item(kEdit1)), edit2 = RectOf(Item(kEdit2));
  EXPECT_EQ(edit1.left, 16);
  EXPECT_EQ(edit1.right - edit1.left, 585);
  EXPECT_EQ(edit2.right - edit2.left, 665);
  EXPECT_EQ(RectOf(Item(kButton1)).left, 616);
  EXPECT_EQ(RectOf(Item(kButton1)).top, 40);
  EXPECT_EQ(RectOf(Item(kButton5)).left, 416);
  // The status bar follows the client area's bottom edge and width.
  RECT client{};
  ::GetClientRect(form->hwnd(), &client);
  const RECT bar = RectOf(Item(kStatusBar1));
  EXPECT_EQ((std::array{bar.left, bar.right, bar.bottom}),
            (std::array{0L, client.right, client.bottom}));
}

TEST_F(MainFormTest, HintsFollowTheButtonsAndStayOverFieldsAndLabels) {
  Make();
  Show();
  EXPECT_EQ(StatusText(), "");
  const std::pair<int, const char*> buttons[] = {
      {kButton1, "マウスでファイル名を入力できます。"},
      {kButton2, "ファイルの内容を判別します。"},
      {kButton3, "拡張子を変更します。"},
      {kButton4, "ファイルを削除します。"},
      {kButton5, "ミワケールを終了します。"},
      {kButton6, "アプリケーションを起動します。"},
      {kButton7, "拡張子を変更して、アプリケーションを起動します。"}};
  for (const auto& [id, hint] : buttons) {
    MouseOver(id);
    EXPECT_EQ(StatusText(), hint);
  }
  for (const int id : {kButton2, kEdit1, kLabel1, kStatusBar1}) MouseOver(id);
  EXPECT_EQ(StatusText(), "ファイルの内容を判別します。");
  // A label that let the mouse through would have the window clear the hint.
  for (const int id : {kLabel1, kLabel2}) {
    RECT r{};
    ::GetWindowRect(Item(id), &r);
    EXPECT_EQ(::SendMessageA(Item(id), WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2)),
              HTCLIENT);
  }
  ::SendMessageA(form->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(StatusText(), "");
}

TEST_F(MainFormTest, IdentifyWritesTheSentenceFromButtonAndMenu) {
  const std::string saver = scratch.path() + "saver.exe";
  ASSERT_TRUE(testing::WriteBytes(
      saver, testing::BuildPe({.versions = {testing::SimpleVersion(0x0411, 932, u"S.SCR")}})));
  Make();
  Click(kButton2);
  EXPECT_EQ(boxes.shown.size(), 1u) << "an empty name is left to the command's own check";
  const struct {
    std::string file;
    bool by_menu;
    const char* sentence;
  } cases[] = {{scratch.Write("memo.doc", "これはメモです。\r\n"), false,
                "これはテキスト(TXT)ファイルです。"},
               {scratch.Write("photo.txt", std::string("GIF89a\x01\x00\x01\x00", 10)), true,
                "これは画像(GIF)ファイルです。"},
               // Executables are told apart by their version resource.
               {saver, false, "これはスクリーンセーバー(SCR)ファイルです。"}};
  for (const auto& c : cases) {
    ::SetWindowTextA(Item(kEdit1), c.file.c_str());
    c.by_menu ? Command(IDM_K2) : Click(kButton2);
    EXPECT_EQ(Text(Item(kEdit2)), c.sentence) << c.file;
    EXPECT_EQ(Text(Item(kEdit1)), c.file) << "no command writes the file-name field";
  }
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(MainFormTest, BrowseStartsInTheSavedFolderIfItExistsAndHelpOpensTheFileBesideTheProgram) {
  scratch.Write("FMIWAKER.ini", "[Dir]\r\nDir=" + scratch.path() + "start\\\r\n");
  Make();
  ::SetWindowTextA(Item(kEdit1), "typed");
  ::SetWindowTextA(Item(kEdit2), "old result");
  Command(IDM_KN1);  // cancelled, while the folder does not exist yet
  EXPECT_EQ(dialog.runs, 1);
  EXPECT_EQ(dialog.initial_folder, std::nullopt);
  EXPECT_EQ(Text(Item(kEdit1)), "typed");
  EXPECT_EQ(Text(Item(kEdit2)), "");
  const std::string start = scratch.MakeFolder("start");
  ::SetWindowTextA(Item(kEdit2), "old result");
  dialog.answer = "C:\\chosen.txt";
  Click(kButton1);
  EXPECT_EQ(dialog.initial_folder, start);
  EXPECT_EQ(Text(Item(kEdit1)), "C:\\chosen.txt");
  EXPECT_EQ(Text(Item(kEdit2)), "");
  Command(IDM_KH2);
  EXPECT_EQ(opened, std::vector<std::string>{scratch.path() + "Fmiwaker.hlp"});
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainFormTest, TabVisitsTheControlsInTheirOrderAndWrapsAndShiftTabGoesBack) {
  Make();
  Show();
  ::SetForegroundWindow(form->hwnd());
  ::SetFocus(Item(kEdit1));
  auto tab = [&](int expected) {
    EXPECT_TRUE(form->PreTranslateMessage({::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}}));
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), expected);
  };
  for (const int id :
       {kEdit2, kButton1, kButton2, kButton3, kButton4, kButton5, kButton6, kButton7, kEdit1}) {
    tab(id);
  }
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  for (const int id : {kButton7, kButton6, kButton5}) tab(id);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
}

TEST_F(MainFormTest, SettingsFileTakesOverTheOldFileAndCarriesThePositionToTheNextStart) {
  const std::string old = scratch.Write("FMIWAKER.CNF", "C:\\旧フォルダ\\\r\nrest\x1a");
  Make();
  ExpectAt(10, 10);
  EXPECT_EQ(Ini("Version", "ver"), "3.12");
  EXPECT_EQ(Ini("Dir", "Dir"), "C:\\旧フォルダ\\");
  EXPECT_EQ(::GetFileAttributesA(old.c_str()), INVALID_FILE_ATTRIBUTES);
  ::SetWindowPos(form->hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Click(kButton5);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  EXPECT_EQ(form->hwnd(), nullptr);
  EXPECT_EQ(Ini("Location", "top"), "150");
  EXPECT_EQ(Ini("Location", "left"), "200");
  Make();
  ExpectAt(200, 150);
  form.reset();
  scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=0x40\r\nleft=$30\r\n");
  Make();
  ExpectAt(48, 64);
  form.reset();
  scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=20px\r\n");
  Make();
  ExpectAt(138, 109);
  ::SetWindowPos(form->hwnd(), nullptr, 220, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Show();
  ::ShowWindow(form->hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(form->hwnd()));
  form.reset();
  EXPECT_EQ(Ini("Location", "top"), "130");
  EXPECT_EQ(Ini("Location", "left"), "220");
}

TEST_F(MainFormTest, UnwritableSettingsShowTheErrorBoxAndTheProgramGoesOn) {
  const std::string missing = scratch.path() + "gone\\";
  Make(missing);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0],
            (testing::ShownBox{missing + "FMIWAKER.ini に書き込めません.", "ミワケール", 0x10}));
  ExpectAt(138, 109);
  MouseOver(kButton4);
  EXPECT_EQ(StatusText(), "ファイルを削除します。") << "the window still works";
  form.reset();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, missing + "Fmiwaker.ini に書き込めません.");
}

TEST(MainWindowShowCommandTest, HonoursOnlyMaximisedAndMinimisedWithoutActivation) {
  EXPECT_EQ(MainWindowShowCommand(SW_SHOWMAXIMIZED), SW_SHOWMAXIMIZED);
  EXPECT_EQ(MainWindowShowCommand(SW_SHOWMINNOACTIVE), SW_SHOWMINNOACTIVE);
  EXPECT_EQ(MainWindowShowCommand(SW_SHOWMINIMIZED), SW_SHOWNORMAL);
  EXPECT_EQ(MainWindowShowCommand(SW_HIDE), SW_SHOWNORMAL);
}

}  // namespace
}  // namespace miwake
