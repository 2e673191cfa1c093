// The real main window under Wine, driven by messages, with its settings
// file in a scratch folder and its message boxes answered by a script.
#include "app/main_form.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/main_form_layout.h"
#include "app/resource_ids.h"
#include "support/fakes.h"
#include "support/pe_builder.h"
#include "support/scratch_folder_win32.h"

namespace miwake {
namespace {

using testing::ScratchFolder;
using testing::ScriptedMessageBox;
using testing::ShownBox;

class FakeOpenDialog final : public OpenFileDialog {
 public:
  void SetInitialFolder(const std::string& folder) override { initial_folder = folder; }
  std::optional<std::string> Run(HWND) override {
    ++runs;
    return answer;
  }
  std::optional<std::string> initial_folder;
  std::optional<std::string> answer;
  int runs = 0;
};

std::string Text(HWND window) {
  char buffer[1024] = {};
  ::GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

RECT ClientRectOf(HWND control) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT OuterRect(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

std::string Ini(const std::string& folder, const char* section, const char* key) {
  char value[256] = {};
  ::GetPrivateProfileStringA(section, key, "<none>", value, sizeof value,
                             (folder + "FMIWAKER.ini").c_str());
  return value;
}

class MainFormTest : public ::testing::Test {
 protected:
  void Make(const std::string& app_dir) {
    MainFormPorts ports;
    ports.boxes = &boxes;
    ports.app_dir = app_dir;
    ports.open_dialog = &dialog;
    ports.open_document = [this](const std::string& file) { opened.push_back(file); };
    ports.ends_program = false;
    form = Tmainform::Create(::GetModuleHandleA(nullptr), ports);
    if (form == nullptr) throw std::runtime_error("the main window was not created");
  }
  void Make() { Make(scratch.path()); }
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
  void Destroy() { form.reset(); }

  ScratchFolder scratch;
  ScriptedMessageBox boxes;
  FakeOpenDialog dialog;
  std::vector<std::string> opened;
  std::unique_ptr<Tmainform> form;
};

TEST_F(MainFormTest, ControlsStandWhereTheDesignPutsThemWithTheirCaptions) {
  Make();
  for (const ControlDesign& c : kMainFormControls) {
    if (c.kind == ControlKind::kStatusBar) continue;
    const HWND control = Item(c.id);
    ASSERT_NE(control, nullptr) << c.name;
    const RECT r = ClientRectOf(control);
    EXPECT_EQ(r.left, c.left) << c.name;
    EXPECT_EQ(r.top, c.top) << c.name;
    EXPECT_EQ(r.right - r.left, c.width) << c.name;
    EXPECT_EQ(r.bottom - r.top, c.height) << c.name;
    EXPECT_EQ(Text(control), c.caption) << c.name;
  }
  EXPECT_EQ(Text(form->hwnd()), "ミワケール");
  const RECT outer = OuterRect(form->hwnd());
  EXPECT_EQ(outer.right - outer.left, 500);
  EXPECT_EQ(outer.bottom - outer.top, 270);
  EXPECT_TRUE(::GetWindowLongA(Item(kEdit2), GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(::GetWindowLongA(Item(kEdit1), GWL_STYLE) & ES_READONLY);
}

TEST_F(MainFormTest, StatusBarLiesOnTheBottomEdgeAcrossTheClientWidth) {
  Make();
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  RECT client{};
  ::GetClientRect(form->hwnd(), &client);
  const RECT bar = ClientRectOf(Item(kStatusBar1));
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_EQ(bar.bottom, client.bottom);
  EXPECT_EQ(StatusText(), "");
}

TEST_F(MainFormTest, FieldsAndButtonsUseTheirDesignFonts) {
  Make();
  auto face = [](HWND control) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    return std::pair{std::string(font.lfFaceName), font.lfHeight};
  };
  EXPECT_EQ(face(Item(kEdit1)), (std::pair{std::string("System"), -13L}));
  EXPECT_EQ(face(Item(kButton6)), (std::pair{std::string("System"), -13L}));
  EXPECT_EQ(face(Item(kButton7)), (std::pair{std::string("ＭＳ Ｐゴシック"), -12L}));
}

TEST_F(MainFormTest, MenuHasItsItemsWithTheirMnemonics) {
  Make();
  const HMENU menu = ::GetMenu(form->hwnd());
  auto item = [](HMENU m, UINT id, UINT flag) {
    char text[64] = {};
    ::GetMenuStringA(m, id, text, sizeof text, flag);
    return std::string(text);
  };
  EXPECT_EQ(item(menu, 0, MF_BYPOSITION), "ファイル(&F)");
  EXPECT_EQ(item(menu, 1, MF_BYPOSITION), "オプション(&O)");
  EXPECT_EQ(item(menu, 2, MF_BYPOSITION), "ヘルプ(&H)");
  const struct {
    UINT id;
    const char* text;
  } items[] = {{IDM_KN1, "入力(&N)..."}, {IDM_K2, "判別(&J)"},
               {IDM_K3, "変更(&C)"},     {IDM_DELETE1, "削除(&D)"},
               {IDM_P2, "起動(P)"},      {IDM_N3, "変更＆起動(&G)"},
               {IDM_EXIT1, "終了(&X)"},  {IDM_K1, "検索フォルダの設定(&S)..."},
               {IDM_KH2, "ヘルプ(&H)"},  {IDM_KA1, "バージョン情報(&A)..."}};
  for (const auto& i : items) EXPECT_EQ(item(menu, i.id, MF_BYCOMMAND), i.text);
  EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(menu, 0)), 8);
  EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(menu, 2)), 3);
}

TEST_F(MainFormTest, SizeLimitsKeepThePlatformsValuesButTheThreeSet) {
  Make();
  // The system fills the record before it asks; these stand for its values.
  MINMAXINFO info{};
  info.ptMaxSize = {1030, 780};
  info.ptMaxPosition = {-3, -3};
  info.ptMinTrackSize = {112, 27};
  info.ptMaxTrackSize = {1036, 786};
  ::SendMessageA(form->hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 500);
  EXPECT_EQ(info.ptMinTrackSize.y, 270);
  EXPECT_EQ(info.ptMaxTrackSize.y, 270);
  EXPECT_EQ(info.ptMaxTrackSize.x, 1036);
  EXPECT_EQ(info.ptMaxSize.x, 1030);
  EXPECT_EQ(info.ptMaxSize.y, 780);
  EXPECT_EQ(info.ptMaxPosition.x, -3);
}

TEST_F(MainFormTest, SizeIsHeldToTheLimits) {
  Make();
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  ::SetWindowPos(form->hwnd(), nullptr, 0, 0, 300, 400, SWP_NOMOVE | SWP_NOZORDER);
  const RECT outer = OuterRect(form->hwnd());
  EXPECT_EQ(outer.right - outer.left, 500);
  EXPECT_EQ(outer.bottom - outer.top, 270);
}

TEST_F(MainFormTest, WideningTo700StretchesTheFieldsAndMovesBrowseOnly) {
  Make();
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  ::SetWindowPos(form->hwnd(), nullptr, 0, 0, 700, 270, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(ClientRectOf(Item(kEdit1)).right - ClientRectOf(Item(kEdit1)).left, 585);
  EXPECT_EQ(ClientRectOf(Item(kEdit2)).right - ClientRectOf(Item(kEdit2)).left, 665);
  EXPECT_EQ(ClientRectOf(Item(kButton1)).left, 616);
  EXPECT_EQ(ClientRectOf(Item(kButton1)).top, 40);
  EXPECT_EQ(ClientRectOf(Item(kButton5)).left, 416);
  EXPECT_EQ(ClientRectOf(Item(kEdit1)).left, 16);
  RECT client{};
  ::GetClientRect(form->hwnd(), &client);
  EXPECT_EQ(ClientRectOf(Item(kStatusBar1)).right, client.right);
}

TEST_F(MainFormTest, HintsFollowTheButtonsAndStayOverFields) {
  Make();
  const struct {
    int id;
    const char* hint;
  } buttons[] = {{kButton1, "マウスでファイル名を入力できます。"},
                 {kButton2, "ファイルの内容を判別します。"},
                 {kButton3, "拡張子を変更します。"},
                 {kButton4, "ファイルを削除します。"},
                 {kButton5, "ミワケールを終了します。"},
                 {kButton6, "アプリケーションを起動します。"},
                 {kButton7, "拡張子を変更して、アプリケーションを起動します。"}};
  for (const auto& b : buttons) {
    MouseOver(b.id);
    EXPECT_EQ(StatusText(), b.hint);
  }
  MouseOver(kButton2);
  MouseOver(kEdit1);
  MouseOver(kLabel1);
  MouseOver(kStatusBar1);
  EXPECT_EQ(StatusText(), "ファイルの内容を判別します。");
  ::SendMessageA(form->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(StatusText(), "");
}

TEST_F(MainFormTest, LabelsTakeTheMouseThemselvesSoTheWindowsOwnMoveDoesNotFire) {
  Make();
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  for (const int id : {kLabel1, kLabel2}) {
    RECT r{};
    ::GetWindowRect(Item(id), &r);
    EXPECT_EQ(::SendMessageA(Item(id), WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2)),
              HTCLIENT);
  }
}

TEST_F(MainFormTest, AnUnchangedHintIsNotSentAgain) {
  Make();
  MouseOver(kButton3);
  const int sends = form->hint_sends();
  for (int i = 0; i < 5; ++i) MouseOver(kButton3);
  ::SendMessageA(form->hwnd(), WM_MOUSEMOVE, 0, 0);
  ::SendMessageA(form->hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(form->hint_sends(), sends + 1);
}

TEST_F(MainFormTest, IdentifyWritesTheSentenceFromButtonAndMenu) {
  const std::string memo = scratch.Write("memo.doc", "これはメモです。\r\n");
  const std::string gif = scratch.Write("photo.txt", std::string("GIF89a\x01\x00\x01\x00", 10));
  Make();
  ::SetWindowTextA(Item(kEdit1), memo.c_str());
  Click(kButton2);
  EXPECT_EQ(Text(Item(kEdit2)), "これはテキスト(TXT)ファイルです。");
  ::SetWindowTextA(Item(kEdit1), gif.c_str());
  Command(IDM_K2);
  EXPECT_NE(Text(Item(kEdit2)).find("(GIF)"), std::string::npos) << Text(Item(kEdit2));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Text(Item(kEdit1)), gif) << "no command writes the file-name field";
}

TEST_F(MainFormTest, IdentifyTellsExecutablesApartByTheirVersionResource) {
  Make();
  const std::string saver = scratch.path() + "saver.exe";
  ASSERT_TRUE(testing::WriteBytes(
      saver, testing::BuildPe({.versions = {testing::SimpleVersion(0x0411, 932, u"S.SCR")}})));
  ::SetWindowTextA(Item(kEdit1), saver.c_str());
  Click(kButton2);
  EXPECT_EQ(Text(Item(kEdit2)), "これはスクリーンセーバー(SCR)ファイルです。");
}

TEST_F(MainFormTest, IdentifyWithAnEmptyNameLeavesItToTheCommandsCheck) {
  Make();
  Click(kButton2);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(MainFormTest, BrowseStartsInTheSavedFolderAndTakesTheChosenName) {
  const std::string start = scratch.MakeFolder("start");
  Make();
  ::WritePrivateProfileStringA("Dir", "Dir", (start + "\\").c_str(),
                               (scratch.path() + "FMIWAKER.ini").c_str());
  ::SetWindowTextA(Item(kEdit2), "old result");
  dialog.answer = "C:\\chosen.txt";
  Click(kButton1);
  EXPECT_EQ(dialog.initial_folder, start);
  EXPECT_EQ(Text(Item(kEdit1)), "C:\\chosen.txt");
  EXPECT_EQ(Text(Item(kEdit2)), "");
}

TEST_F(MainFormTest, CancelledBrowseEmptiesTheResultAndKeepsTheName) {
  Make();
  ::WritePrivateProfileStringA("Dir", "Dir", (scratch.path() + "gone\\").c_str(),
                               (scratch.path() + "FMIWAKER.ini").c_str());
  ::SetWindowTextA(Item(kEdit1), "typed");
  ::SetWindowTextA(Item(kEdit2), "old result");
  Command(IDM_KN1);
  EXPECT_EQ(dialog.runs, 1);
  EXPECT_EQ(dialog.initial_folder, std::nullopt) << "a folder that does not exist is not used";
  EXPECT_EQ(Text(Item(kEdit1)), "typed");
  EXPECT_EQ(Text(Item(kEdit2)), "");
}

TEST_F(MainFormTest, HelpOpensTheHelpFileBesideTheProgramAndSaysNothing) {
  Make();
  Command(IDM_KH2);
  EXPECT_EQ(opened, std::vector<std::string>{scratch.path() + "Fmiwaker.hlp"});
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(StatusText(), "");
  EXPECT_EQ(Text(Item(kEdit2)), "");
}

TEST_F(MainFormTest, TabVisitsTheControlsInTheirOrderAndWraps) {
  Make();
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  ::SetForegroundWindow(form->hwnd());
  ::SetFocus(Item(kEdit1));
  const int expected[] = {kEdit2,   kButton1, kButton2, kButton3, kButton4,
                          kButton5, kButton6, kButton7, kEdit1};
  for (const int id : expected) {
    const MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(form->PreTranslateMessage(tab));
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), id);
  }
}

TEST_F(MainFormTest, ShiftTabGoesBackwards) {
  Make();
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  ::SetForegroundWindow(form->hwnd());
  ::SetFocus(Item(kEdit1));
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  for (const int id : {kButton7, kButton6, kButton5}) {
    const MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    form->PreTranslateMessage(tab);
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), id);
  }
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
}

TEST_F(MainFormTest, FirstStartPlacesAtTenAndTheEndSavesThePosition) {
  Make();
  EXPECT_EQ(OuterRect(form->hwnd()).left, 10);
  EXPECT_EQ(OuterRect(form->hwnd()).top, 10);
  EXPECT_EQ(Ini(scratch.path(), "Version", "ver"), "3.12");
  EXPECT_EQ(Ini(scratch.path(), "Dir", "Dir"), scratch.path());
  ::SetWindowPos(form->hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Destroy();
  EXPECT_EQ(Ini(scratch.path(), "Location", "top"), "150");
  EXPECT_EQ(Ini(scratch.path(), "Location", "left"), "200");
  Make();
  EXPECT_EQ(OuterRect(form->hwnd()).left, 200);
  EXPECT_EQ(OuterRect(form->hwnd()).top, 150);
}

TEST_F(MainFormTest, HexadecimalPositionIsReadAndAnUnusableOneGivesTheDesignPosition) {
  scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=0x40\r\nleft=$30\r\n");
  Make();
  EXPECT_EQ(OuterRect(form->hwnd()).top, 64);
  EXPECT_EQ(OuterRect(form->hwnd()).left, 48);
  Destroy();
  scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=20px\r\n");
  Make();
  EXPECT_EQ(OuterRect(form->hwnd()).top, 109);
  EXPECT_EQ(OuterRect(form->hwnd()).left, 138);
}

TEST_F(MainFormTest, ClosedWhileMinimisedSavesTheRestorePlace) {
  Make();
  ::SetWindowPos(form->hwnd(), nullptr, 220, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  ::ShowWindow(form->hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(form->hwnd()));
  Destroy();
  EXPECT_EQ(Ini(scratch.path(), "Location", "top"), "130");
  EXPECT_EQ(Ini(scratch.path(), "Location", "left"), "220");
}

TEST_F(MainFormTest, ExitClosesTheWindowAndSavesThePosition) {
  Make();
  ::SetWindowPos(form->hwnd(), nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Click(kButton5);
  Pump();
  EXPECT_EQ(form->hwnd(), nullptr);
  EXPECT_EQ(Ini(scratch.path(), "Location", "top"), "44");
}

TEST_F(MainFormTest, UnwritableSettingsShowTheErrorBoxAndTheProgramGoesOn) {
  const std::string missing = scratch.path() + "gone\\";
  Make(missing);
  const ShownBox expected{missing + "FMIWAKER.ini に書き込めません.", "ミワケール", 0x10};
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], expected);
  EXPECT_EQ(OuterRect(form->hwnd()).left, 138);
  EXPECT_EQ(OuterRect(form->hwnd()).top, 109);
  MouseOver(kButton4);
  EXPECT_EQ(StatusText(), "ファイルを削除します。") << "the window still works";
  Destroy();
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
