// The real main window under Wine: each button and menu item runs its
// command on real files, with the real registry of the test prefix and real
// processes. A recorder program of ours, registered for kinds that a fresh
// prefix associates with nothing, writes down the command line it was
// started with. What the commands decide is told in commands_test.cpp.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <thread>

#include "common/message_box_win32.h"
#include "common/win32_handle.h"
#include "fmiwaker/main_form_fixture.h"
#include "support/sample_files.h"

namespace miwake {
namespace {

using testing::MainFormTest;
using testing::RectOf;

bool Exists(const std::string& name) {
  return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The name as the folder spells it; empty when there is none.
std::string Listed(const std::string& name) {
  WIN32_FIND_DATAA data{};
  const FindHandle find(::FindFirstFileA(name.c_str(), &data));
  return find ? data.cFileName : "";
}

// ".ext" and its class's open command under HKEY_CLASSES_ROOT, removed however the test ends.
struct TestAssociation {
  TestAssociation(const std::string& ext, DWORD type, const std::string& command)
      : ext("." + ext), name("miwake.test." + ext) {
    for (const auto& [key, key_type, data] : {std::tuple{this->ext, DWORD{REG_SZ}, name},
                                              {name + "\\shell\\open\\command", type, command}})
      EXPECT_EQ(::RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, key_type, data.c_str(),
                                  data.size() + (key_type == REG_DWORD ? 0 : 1)),
                ERROR_SUCCESS);
  }
  ~TestAssociation() {
    for (const std::string& key : {ext, name}) ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  }
  std::string ext, name;
};

LRESULT CALLBACK LogPaint(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR log) {
  if (msg == WM_PAINT) reinterpret_cast<std::vector<std::string>*>(log)->push_back("<paint>");
  return ::DefSubclassProc(hwnd, msg, w, l);
}

TEST_F(MainFormTest, ButtonsAndMenuItemsRunTheirCommandsOnRealFilesAndPrograms) {
  std::string recorder = MIWAKE_RECORDER_EXE;
  if (recorder.starts_with('/')) recorder = "Z:" + recorder;  // Wine's drive for the Unix root
  std::replace(recorder.begin(), recorder.end(), '/', '\\');
  const std::string s = scratch.path(), record = s + "record.txt", gone = s + "gone.exe";
  ::SetEnvironmentVariableA("MIWAKE_RECORD", record.c_str());
  ::SetEnvironmentVariableA("MIWAKE_RECORDER", recorder.c_str());
  const TestAssociation mki("mki", REG_SZ, "\"" + recorder + "\" \"%1\""),
      lzh("lzh", REG_EXPAND_SZ, "%MIWAKE_RECORDER% %1"),
      txt("txt", REG_SZ, "\"" + recorder + "\" \"%1\""),
      hlp("hlp", REG_SZ, "\"" + recorder + "\" \"%1\""),
      mag("mag", REG_SZ, "\"" + gone + "\" \"%1\""),
      mdb("mdb", REG_DWORD, std::string("\x01\0\0\0", 4));
  scratch.Write("taken.txt", "the other file");
  scratch.Write("FMIWAKER.ini", "[Dir]\r\nDir=" + s + "start\\\r\n");
  ::CreateDirectoryA((s + "start").c_str(), nullptr);
  Make();
  ::SetWindowSubclass(Item(kEdit2), LogPaint, 1, reinterpret_cast<DWORD_PTR>(&events));

  const std::string text = "text\r\n", maki = "MAKI01" + std::string(64, '\x01'),
                    gif("GIF89a\x01\x00\x01\x00", 10),
                    lzh_bytes = "\x01\x02\x03lh5" + std::string(64, '\x01'),
                    ask = "拡張子の変更: 拡張子を txt に変更しますか？",
                    sure = "削除: 削除してもよろしいですか？",
                    busy = "実行中のため削除できませんでした。",
                    taken = "txtの拡張子がついたファイルがあるので変更できません！",
                    launched = "拡張子を mkiに変更しました。画像ソフトを起動します。";
  const struct {
    int id;
    std::string file, bytes, shown, box;  // box: the last one's caption and text
    const char* now;                      // the file's name afterwards; null: gone
    std::string recorded = {};            // part of the line the recorder was started with
    DWORD held = 0;  // a handle on the file meanwhile shares 1: reading, 3: writing too
  } rows[] = {
      {IDM_K2, "photo.txt", gif, "これは画像(GIF)ファイルです。", "", "photo.txt"},
      {kButton3, "memo.doc", text, "拡張子を txtに変更しました。", ask, "memo.txt"},
      // Not shared for deleting: classified, not renamed.
      {kButton3, "shared.doc", text, taken, ask, "shared.doc", {}, 3},
      {IDM_DELETE1, "busy.doc", text, busy, sure, "busy.doc", {}, 1},
      {kButton6, "photo.dat", maki, "画像ソフトを起動します。", "", "photo.dat",
       "\"" + recorder + "\" \"" + s + "photo.dat\""},
      {IDM_P2, "old archive.bin", lzh_bytes, "解凍ソフトを起動します。", "", "old archive.bin",
       recorder + " \"" + s + "old archive.bin\""},
      {kButton7, "pic.dat", maki, launched, "", "pic.mki", s + "pic.mki"},
      // A change of letter case only: Wine says it is done and keeps the
      // old spelling; the program reports what the system said and opens
      // the file by its new name.
      {IDM_N3, "SHOT.MKI", maki, launched, "", "SHOT.MKI", "\\SHOT.mki\""},
      {kButton6, "gone.dat", "MAKI02" + maki, "画像ソフトを起動します。起動できませんでした。", "",
       "gone.dat"},
      {kButton6, "db.dat", "\x01\x02\x03\x04Standard Jet DB" + maki, "",
       "ミワケール: '' のﾃﾞｰﾀ型が不正です.", "db.dat"},
      // ヘルプ: neither Fmiwaker.hlp nor the guide beside the program; then the
      // guide alone, through .txt's association; then the help file, alone.
      {IDM_KH2, "other.txt", text, "", "ミワケール: ヘルプを開けませんでした。", "other.txt"},
      {IDM_KH2, "readme.txt", text, "", "", "readme.txt", s + "readme.txt"},
      {IDM_KH2, "Fmiwaker.hlp", text, "", "", "Fmiwaker.hlp", s + "Fmiwaker.hlp"},
  };
  std::ptrdiff_t records = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const std::string file = scratch.Write(row.file, row.bytes);
    const FileHandle held(row.held == 0 ? INVALID_HANDLE_VALUE
                                        : ::CreateFileA(file.c_str(), GENERIC_READ, row.held,
                                                        nullptr, OPEN_EXISTING, 0, nullptr));
    boxes.shown.clear();
    events.clear();
    EXPECT_EQ(Click(row.id, file), row.shown);
    const testing::ShownBox last = boxes.shown.empty() ? testing::ShownBox{} : boxes.shown.back();
    EXPECT_EQ(last.caption + (last.caption.empty() ? "" : ": ") + last.text, row.box);
    // Spelled as the folder lists them, so that a change of letter case shows.
    EXPECT_EQ(Listed(file) == row.file, row.now != nullptr && row.now == row.file);
    EXPECT_EQ(Listed(s + (row.now ? row.now : row.file)), row.now ? row.now : "");
    const auto start = std::find(events.begin(), events.end(), "<start>");
    EXPECT_TRUE(start == events.end() || std::find(events.begin(), start, "<paint>") != start)
        << "the announcement is painted before the start";
    if (row.recorded.empty()) continue;
    std::string log;  // once the new line has arrived
    for (int i = 0; i < 500 && std::ranges::count(log, '\n') <= records; ++i, ::Sleep(20))
      log = testing::FileBytes(record);
    ASSERT_EQ(std::ranges::count(log, '\n'), ++records) << log;
    EXPECT_NE(log.find(row.recorded, log.rfind('\n', log.size() - 2) + 1), std::string::npos)
        << log;
  }
  EXPECT_EQ(testing::FileBytes(s + "taken.txt"), "the other file");

  ::SetWindowTextA(Item(kEdit2), "old result");
  Command(IDM_KN1);
  EXPECT_EQ(WindowText(Item(kEdit2)), "") << "emptied, the dialog cancelled";
  chosen = "C:\\chosen.txt";
  ::SendMessageA(Item(kButton1), BM_CLICK, 0, 0);
  EXPECT_EQ(initial_folder, s + "start");
  EXPECT_EQ(WindowText(Item(kEdit1)), "C:\\chosen.txt");
}

TEST_F(MainFormTest, TakesTheFirstFileDroppedFromExplorer) {
  Make();
  EXPECT_TRUE(::GetWindowLongA(form->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  ::SetWindowTextA(Item(kEdit2), "kept");
  const std::string list =
      "C:\\My Files\\表.doc" + std::string(1, '\0') + "C:\\b.txt" + std::string(2, '\0');
  const HGLOBAL drop =
      ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* files = static_cast<DROPFILES*>(::GlobalLock(drop));
  files->pFiles = sizeof(DROPFILES);
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(), list.size());
  ::GlobalUnlock(drop);
  ::SendMessageA(form->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);  // frees it
  EXPECT_EQ(WindowText(Item(kEdit1)), "C:\\My Files\\表.doc");
  EXPECT_EQ(WindowText(Item(kEdit2)), "kept") << "nothing else happens";
}

TEST_F(MainFormTest, HintsAndTheWidthFollowTheDesign) {
  Make();
  char status[256] = {};  // in simple mode the bar answers for part 0 with its simple text
  auto hint_over = [&](HWND window) {
    ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ::SendMessageA(Item(kStatusBar1), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(status));
    return std::string(status);
  };
  const std::pair<int, std::string> hints[] = {
      {kButton1, "マウスでファイル名を入力できます。"},
      {kButton2, "ファイルの内容を判別します。"},
      {kButton3, "拡張子を変更します。"},
      {kButton4, "ファイルを削除します。"},
      {kButton6, "アプリケーションを起動します。"},
      {kButton7, "拡張子を変更して、アプリケーションを起動します。"},
      {kButton5, "ミワケールを終了します。"}};
  for (const auto& [id, hint] : hints) EXPECT_EQ(hint_over(Item(id)), hint) << id;
  // Controls without a hint leave the last one.
  for (const int id : {kLabel1, kEdit1, kLabel2, kEdit2, kStatusBar1})
    EXPECT_EQ(hint_over(Item(id)), "ミワケールを終了します。") << id;
  // A label must take the mouse itself, or the window would clear the hint.
  EXPECT_EQ(::SendMessageA(Item(kLabel2), WM_NCHITTEST, 0, MAKELPARAM(40, 200)), HTCLIENT);
  EXPECT_EQ(hint_over(form->hwnd()), "");

  ::SetWindowPos(form->hwnd(), nullptr, 0, 0, 700, 270, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  ::GetClientRect(form->hwnd(), &client);
  const RECT bar = RectOf(Item(kStatusBar1)), edit1 = RectOf(Item(kEdit1)),
             edit2 = RectOf(Item(kEdit2));
  EXPECT_EQ(
      (std::array{edit1.right - edit1.left, edit2.right - edit2.left, RectOf(Item(kButton1)).left,
                  RectOf(Item(kButton5)).left, bar.right, bar.bottom}),
      (std::array<LONG, 6>{585, 665, 616, 416, client.right, client.bottom}));
}

TEST_F(MainFormTest, RealBoxesAnswerAndGiveTheFocusBack) {
  const HWND other = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50,
                                       50, nullptr, nullptr, nullptr, nullptr);
  Make();
  EXPECT_EQ(::GetFocus(), Item(kEdit1)) << "a name can be typed at once";
  Win32MessageBox real(form->hwnd());
  real_boxes = &real;
  const std::string old = scratch.Write("old.txt", "text");
  for (const auto& [id, name, command, caption, button] :
       {std::tuple{kEdit1, std::string(), IDM_K2, "警告", IDOK},
        {kButton3, old, IDM_DELETE1, "削除", IDNO},
        {kButton3, old, IDM_DELETE1, "削除", IDYES}}) {
    ::SetWindowTextA(Item(kEdit1), name.c_str());
    ::SetFocus(Item(id));
    std::atomic<int> seen = 0;  // 2: the other window was disabled while the box was up
    std::atomic<bool> returned = false;
    // Watches until the command returns, so that a box however late is
    // answered rather than left to hold the test until it is killed.
    std::thread answer([&, caption = caption, button = button] {
      while (!seen && !returned) {
        if (HWND box = ::FindWindowA("#32770", caption)) {
          seen = ::IsWindowEnabled(other) ? 1 : 2;
          ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        }
        ::Sleep(10);
      }
    });
    Command(command);
    returned = true;
    answer.join();
    ASSERT_NE(seen, 0) << "no box captioned " << caption << " came";
    EXPECT_EQ(seen, 2) << "the program's other windows take no input meanwhile";
    EXPECT_TRUE(::IsWindowEnabled(other));
    EXPECT_EQ(::GetFocus(), Item(id)) << "after the box";
    EXPECT_EQ(Exists(old), button != IDYES) << "the answer counts";
  }
  ::SetForegroundWindow(other);
  ::SetForegroundWindow(form->hwnd());
  EXPECT_EQ(::GetFocus(), Item(kButton3)) << "after reactivation";
  ::DestroyWindow(other);

  EXPECT_TRUE(form->PreTranslateMessage({::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}}));
  EXPECT_EQ(::GetFocus(), Item(kButton4)) << "Tab goes on in the table's order";
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
  EXPECT_EQ(boxes.shown,
            (std::vector<testing::ShownBox>{{"Button7 を作成できません.", "ミワケール", 0x10}}));
  EXPECT_FALSE(Exists(scratch.path() + "FMIWAKER.ini")) << "the creation handler must not run";
}

// The settings file's own rules are told in settings_test.cpp, the save at
// the close in fmiwaker_smoke_test.cpp.
TEST_F(MainFormTest, ThePositionIsSavedAtTheEndOfTheSessionOrMinimisedAndTakenAtTheNextStart) {
  const std::string ini = scratch.path() + "FMIWAKER.ini";
  auto saved_after_moving_to = [&](int left, int top) {
    if (form) ::SetWindowPos(form->hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return std::to_string(::GetPrivateProfileIntA("Location", "top", -1, ini.c_str())) + "," +
           std::to_string(::GetPrivateProfileIntA("Location", "left", -1, ini.c_str()));
  };
  Make();
  EXPECT_EQ(saved_after_moving_to(200, 150), "10,10") << "the first start";
  ::SendMessageA(form->hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(saved_after_moving_to(230, 140), "150,200") << "saved when Windows ends the session";
  ::ShowWindow(form->hwnd(), SW_MINIMIZE);
  form.reset();
  EXPECT_EQ(saved_after_moving_to(0, 0), "140,230")
      << "closed minimised: where it would be restored";
  Make();
  EXPECT_EQ((std::pair{RectOf(form->hwnd()).left, RectOf(form->hwnd()).top}),
            std::pair(230L, 140L));
}

}  // namespace
}  // namespace miwake
