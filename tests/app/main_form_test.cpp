#include <array>
#include <atomic>
#include <fstream>
#include <thread>

#include "app/main_form_fixture.h"
#include "common/message_box_win32.h"
#include "common/win32_handle.h"

namespace miwake {
namespace {

using testing::MainFormTest;
using testing::RectOf;
using testing::Text;

std::array<LONG, 4> Box(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool Exists(const std::string& name) {
  return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(MainFormTest, ControlsAreMadeAsTheirTableSaysAndFollowTheWidth) {
  Make();
  for (const ControlRow& row : kMainFormControls) {
    SCOPED_TRACE(row.name);
    if (row.kind != ControlKind::kStatusBar) {
      EXPECT_EQ(Box(RectOf(Item(row.id))),
                (std::array<LONG, 4>{row.left, row.top, row.width, row.height}));
    }
    EXPECT_EQ(Text(Item(row.id)), row.caption);
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(Item(row.id), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    if (row.font != FontChoice::kPlatform) {
      EXPECT_EQ(font.lfFaceName + std::to_string(font.lfHeight),
                row.font == FontChoice::kForm ? "ＭＳ Ｐゴシック-12" : "System-13");
    }
    if (row.kind == ControlKind::kEdit || row.kind == ControlKind::kReadOnlyEdit) {
      EXPECT_GT(::SendMessageA(Item(row.id), EM_GETLIMITTEXT, 0, 0), 0xFFFF) << "no limit";
    }
  }
  EXPECT_TRUE(::GetWindowLongA(Item(kEdit2), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(Text(form->hwnd()), "ミワケール");

  // The system fills the record before it asks; these stand for its values.
  MINMAXINFO info{{}, {1030, 780}, {-3, -3}, {112, 27}, {1036, 786}};
  ::SendMessageA(form->hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ((std::array{info.ptMinTrackSize.x, info.ptMinTrackSize.y, info.ptMaxTrackSize.x,
                        info.ptMaxTrackSize.y, info.ptMaxSize.x, info.ptMaxPosition.x}),
            (std::array<LONG, 6>{500, 270, 1036, 270, 1030, -3}));
  EXPECT_EQ(Box(RectOf(form->hwnd()))[2], 500);
  ::SetWindowPos(form->hwnd(), nullptr, 0, 0, 700, 270, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ((std::array{Box(RectOf(Item(kEdit1)))[2], Box(RectOf(Item(kEdit2)))[2],
                        RectOf(Item(kButton1)).left, RectOf(Item(kButton5)).left}),
            (std::array<LONG, 4>{585, 665, 616, 416}));
  RECT client{};
  ::GetClientRect(form->hwnd(), &client);
  const RECT bar = RectOf(Item(kStatusBar1));
  EXPECT_EQ((std::array{bar.right, bar.bottom}), (std::array{client.right, client.bottom}));
}

TEST_F(MainFormTest, FontADrawsInBlackAndButton6InTheWindowTextColour) {
  Make();
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 70, 33);
  ::SelectObject(dc, bitmap);
  const int element = COLOR_WINDOWTEXT;
  const COLORREF saved = ::GetSysColor(element), red = RGB(255, 0, 0);
  ::SetSysColors(1, &element, &red);
  auto red_pixels = [&](int id) {
    DRAWITEMSTRUCT item{ODT_BUTTON, UINT(id),       0, ODA_DRAWENTIRE, 0, Item(id),
                        dc,         {0, 0, 70, 33}, 0};
    ::SendMessageA(form->hwnd(), WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
    int n = 0;
    for (int x = 0; x < 70 * 33; ++x) n += ::GetPixel(dc, x % 70, x / 70) == red;
    return n;
  };
  EXPECT_GT(red_pixels(kButton6), 0);
  EXPECT_EQ(red_pixels(kButton2), 0);
  for (const int id : {kLabel1, kEdit2}) {
    ::SendMessageA(form->hwnd(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(Item(id)));
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 0)) << id;
  }
  ::SetSysColors(1, &element, &saved);
  ::DeleteDC(dc);
  ::DeleteObject(bitmap);
  ::ReleaseDC(nullptr, screen);
}

TEST_F(MainFormTest, HintsFollowTheButtonsAndStayOverFieldsAndLabels) {
  Make();
  auto status = [&] {
    char text[256] = {};  // in simple mode the bar answers for part 0 with its simple text
    ::SendMessageA(Item(kStatusBar1), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  auto mouse_over = [&](HWND w) { ::SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); };
  EXPECT_EQ(status(), "");
  for (const ControlRow& row : kMainFormControls) {
    mouse_over(Item(row.id));
    if (row.hint != nullptr) {
      EXPECT_EQ(status(), row.hint);
    }
  }
  mouse_over(Item(kButton2));
  // A label must take the mouse itself, or the window would clear the hint.
  for (const int id : {kEdit1, kLabel1, kStatusBar1}) mouse_over(Item(id));
  EXPECT_EQ(::SendMessageA(Item(kLabel2), WM_NCHITTEST, 0, MAKELPARAM(40, 200)), HTCLIENT);
  EXPECT_EQ(status(), "ファイルの内容を判別します。");
  mouse_over(form->hwnd());
  EXPECT_EQ(status(), "");
}

TEST_F(MainFormTest, IdentifyBrowseAndHelp) {
  // Its version resource names it S.SCR, in Japanese with code page 932.
  const std::string saver = scratch.path() + "saver.exe";
  ASSERT_TRUE(::CopyFileA(MIWAKE_TEST_DATA "/pe-samples/saver-scr.dll", saver.c_str(), TRUE));
  scratch.Write("FMIWAKER.ini", "[Dir]\r\nDir=" + scratch.path() + "start\\\r\n");
  Make();
  EXPECT_EQ(Run(kButton2, ""), "");
  EXPECT_EQ(boxes.shown.size(), 1u) << "an empty name is left to the command's own check";
  const std::string gif = scratch.Write("photo.txt", std::string("GIF89a\x01\x00\x01\x00", 10));
  EXPECT_EQ(Run(IDM_K2, gif), "これは画像(GIF)ファイルです。");
  EXPECT_EQ(Run(kButton2, saver), "これはスクリーンセーバー(SCR)ファイルです。");

  EXPECT_EQ(Run(IDM_KN1, saver), "") << "emptied, the dialog cancelled";
  EXPECT_EQ(dialog.initial_folder, std::nullopt) << "the saved folder does not exist yet";
  const std::string start = scratch.MakeFolder("start");
  dialog.answer = "C:\\chosen.txt";
  ::SendMessageA(Item(kButton1), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.initial_folder, start);
  EXPECT_EQ(Text(Item(kEdit1)), "C:\\chosen.txt");
  Command(IDM_KH2);
  EXPECT_EQ(recording_starter.opened, std::vector<std::string>{scratch.path() + "Fmiwaker.hlp"});
}

TEST_F(MainFormTest, ChangeAndDeleteRealFilesAndNeverReplaceOne) {
  Make();
  auto hold = [](const std::string& name, DWORD share) {
    return FileHandle(::CreateFileA(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  const std::string memo = scratch.Write("memo.doc", "text\r\n");
  EXPECT_EQ(Run(kButton3, memo), "拡張子を txtに変更しました。");
  EXPECT_TRUE(Exists(scratch.path() + "memo.txt") && !Exists(memo));
  Run(IDM_K3, memo);
  EXPECT_EQ(boxes.shown.back().text, "ファイルが存在しません！");

  const std::string taken = scratch.Write("taken.doc", "text");
  scratch.Write("taken.txt", "the other file");
  const std::string shared = scratch.Write("shared.doc", "text");
  const std::string busy = scratch.Write("busy.doc", "text");
  {
    // Shared for reading and writing, but not for deleting: classified, not renamed.
    const FileHandle held = hold(shared, FILE_SHARE_READ | FILE_SHARE_WRITE);
    const FileHandle in_use = hold(busy, FILE_SHARE_READ);
    const std::string refused = "txtの拡張子がついたファイルがあるので変更できません！";
    EXPECT_EQ(Run(kButton3, taken), refused);
    EXPECT_EQ(Run(kButton3, shared), refused);
    EXPECT_EQ(Run(kButton3, busy), "このファイルは実行中のため変更できません。");
    EXPECT_EQ(Run(IDM_DELETE1, busy), "実行中のため削除できませんでした。");
  }
  std::ifstream other(scratch.path() + "taken.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(other), {}), "the other file");
  ASSERT_TRUE(::SetFileAttributesA(taken.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Run(kButton4, taken), "実行中のため削除できませんでした。");
  EXPECT_TRUE(Exists(taken) && Exists(shared) && Exists(busy));
  EXPECT_EQ(Run(kButton4, busy), "削除しました。");
  EXPECT_FALSE(Exists(busy));
}

// Presses `button` of the box captioned `caption` as soon as it appears.
// Presses `button` of the box captioned `caption` once it appears; `seen`
// becomes 1, or 2 when `owner` was disabled meanwhile.
std::thread AnswerBox(const char* caption, int button, HWND owner, std::atomic<int>& seen) {
  return std::thread([=, &seen] {
    for (int i = 0; i < 500 && !seen; ++i, ::Sleep(10)) {
      if (HWND box = ::FindWindowA("#32770", caption)) {
        seen = ::IsWindowEnabled(owner) ? 1 : 2;
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      }
    }
  });
}

TEST_F(MainFormTest, RealBoxesAnswerAndGiveTheFocusBackAndTabFollowsTheTable) {
  const HWND other = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50,
                                       50, nullptr, nullptr, nullptr, nullptr);
  Make();
  EXPECT_EQ(::GetFocus(), Item(kEdit1)) << "a name can be typed at once";
  Win32MessageBox real(form->hwnd());
  box_switch.use = &real;
  const std::string old = scratch.Write("old.txt", "text");
  for (const auto& [id, name, command, caption, button] :
       {std::tuple{kEdit1, std::string(), IDM_K2, "警告", IDOK},
        {kButton3, old, IDM_DELETE1, "削除", IDNO},
        {kButton3, old, IDM_DELETE1, "削除", IDYES}}) {
    ::SetWindowTextA(Item(kEdit1), name.c_str());
    ::SetFocus(Item(id));
    std::atomic<int> seen = 0;
    std::thread answer = AnswerBox(caption, button, other, seen);
    Command(command);
    answer.join();
    EXPECT_EQ(seen, 2) << "the program's other windows take no input meanwhile";
    EXPECT_TRUE(::IsWindowEnabled(other));
    EXPECT_EQ(::GetFocus(), Item(id)) << "after the box";
    EXPECT_EQ(Exists(old), button != IDYES) << "the answer counts";
  }
  ::SetForegroundWindow(other);
  ::SetForegroundWindow(form->hwnd());
  EXPECT_EQ(::GetFocus(), Item(kButton3)) << "after reactivation";
  ::DestroyWindow(other);

  auto tab = [&](int expected) {
    EXPECT_TRUE(form->PreTranslateMessage({::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}}));
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), expected);
  };
  for (const int id : {kButton4, kButton5, kButton6, kButton7, kEdit1, kEdit2, kButton1}) tab(id);
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  for (const int id : {kEdit2, kEdit1, kButton7}) tab(id);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
}

HHOOK refusal_hook = nullptr;

LRESULT CALLBACK RefuseButton7(int code, WPARAM wparam, LPARAM lparam) {
  const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lparam);
  if (code == HCBT_CREATEWND && create->lpcs->hMenu == reinterpret_cast<HMENU>(kButton7)) return 1;
  return ::CallNextHookEx(refusal_hook, code, wparam, lparam);
}

TEST_F(MainFormTest, FailuresShowTheirReasonInTheErrorBox) {
  refusal_hook = ::SetWindowsHookExA(WH_CBT, RefuseButton7, nullptr, ::GetCurrentThreadId());
  EXPECT_EQ(Create(scratch.path()), nullptr) << "a window without its controls is no window";
  ::UnhookWindowsHookEx(refusal_hook);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], (testing::ShownBox{"Button7 を作成できません.", "ミワケール", 0x10}));
  EXPECT_FALSE(Exists(scratch.path() + "FMIWAKER.ini")) << "the creation handler must not run";

  // Settings that cannot be written: the box, and the window goes on.
  const std::string missing = scratch.path() + "gone\\";
  Make(missing);
  EXPECT_EQ(boxes.shown.at(1).text, missing + "FMIWAKER.ini に書き込めません.");
  EXPECT_EQ(Box(RectOf(form->hwnd())), (std::array<LONG, 4>{138, 109, 500, 270}));
  const std::string memo = scratch.Write("memo.txt", "text");
  EXPECT_EQ(Run(kButton2, memo), "これはテキスト(TXT)ファイルです。");
  form.reset();
  EXPECT_EQ(boxes.shown.at(2).text, missing + "Fmiwaker.ini に書き込めません.");
}

TEST_F(MainFormTest, SettingsFileTakesOverTheOldFileAndCarriesThePositionToTheNextStart) {
  const std::string old = scratch.Write("FMIWAKER.CNF", "C:\\旧フォルダ\\\r\nrest\x1a");
  auto ini = [&](const char* section, const char* key) {
    char value[256] = {};
    ::GetPrivateProfileStringA(section, key, "", value, sizeof value,
                               (scratch.path() + "FMIWAKER.ini").c_str());
    return std::string(value);
  };
  auto move = [&](int left, int top) {
    ::SetWindowPos(form->hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  };
  Make();
  EXPECT_EQ(Box(RectOf(form->hwnd())), (std::array<LONG, 4>{10, 10, 500, 270}));
  EXPECT_EQ(ini("Version", "ver") + " " + ini("Dir", "Dir"), "3.12 C:\\旧フォルダ\\");
  EXPECT_FALSE(Exists(old));
  move(200, 150);
  ::SendMessageA(form->hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(ini("Location", "top"), "150") << "saved when Windows ends the session";
  move(220, 130);
  ::SendMessageA(Item(kButton5), BM_CLICK, 0, 0);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  EXPECT_EQ(form->hwnd(), nullptr);
  EXPECT_EQ(ini("Location", "left"), "220");
  scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=0x40\r\nleft=$30\r\n");
  Make();
  EXPECT_EQ(Box(RectOf(form->hwnd())), (std::array<LONG, 4>{48, 64, 500, 270}));
  // Closed while minimised: the place it would be restored to is saved.
  move(230, 140);
  ::ShowWindow(form->hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(form->hwnd()));
  form.reset();
  EXPECT_EQ(ini("Location", "top") + "," + ini("Location", "left"), "140,230");
}

TEST(MainWindowShowCommandTest, HonoursOnlyMaximisedAndMinimisedWithoutActivation) {
  for (const auto& [given, shown] : {std::pair{SW_SHOWMAXIMIZED, SW_SHOWMAXIMIZED},
                                     {SW_SHOWMINNOACTIVE, SW_SHOWMINNOACTIVE},
                                     {SW_SHOWMINIMIZED, SW_SHOWNORMAL},
                                     {SW_HIDE, SW_SHOWNORMAL}})
    EXPECT_EQ(MainWindowShowCommand(given), shown) << given;
}

}  // namespace
}  // namespace miwake
