// The search-folder dialog and the About box as real windows beside the
// real main window, on real folders and on the test prefix's drives: r: is
// ready, q: is a floppy drive without its medium. Their buttons are pressed
// with the keys the user has: Alt and the mnemonic, Enter, Tab.
#include <array>

#include "dialogs/about_box.h"
#include "dialogs/setdir_form.h"
#include "fmiwaker/main_form_fixture.h"

namespace miwake {
namespace {

using testing::RectOf;

class DialogsTest : public testing::MainFormTest {
 protected:
  void SetUp() override {
    ::GetCurrentDirectoryA(sizeof start_dir, start_dir);
    for (const char* drive : {"=Q:", "=R:"}) ::SetEnvironmentVariableA(drive, nullptr);
  }
  // The list moves the process; the next test starts where this one did.
  void TearDown() override { ::SetCurrentDirectoryA(start_dir); }

  void MakeAll(const std::string& app_dir = {}) {
    Make(app_dir);
    const DialogPorts ports{profiles, *files, *this, form->hwnd(), form->AppDir()};
    setdir = Tsetdirform::Create(::GetModuleHandleA(nullptr), ports);
    about = TAboutBox::Create(::GetModuleHandleA(nullptr), ports);
    form->SetDialogs(setdir.get(), about.get());
  }
  static bool Key(Window& window, UINT msg, WPARAM code) {
    return window.PreTranslateMessage({::GetFocus(), msg, code, 0, 0, {}});
  }
  HWND Sd(int id) const { return setdir->Control(id); }
  LRESULT Send(int id, UINT msg, WPARAM w, LPARAM l = 0) {
    return ::SendMessageA(Sd(id), msg, w, l);
  }
  std::string Edit1() const { return WindowText(Sd(kSetdirEdit1)); }
  void StoreDir(const std::string& folder) {
    profiles.Write(scratch.path() + "FMIWAKER.ini", "Dir", "Dir", folder);
  }
  // As the user does: open the list, pick the drive's item, press Enter.
  void ChooseDrive(char letter) {
    const std::string prefix{letter, ':'};
    const auto index = Send(kDriveComboBox1, CB_FINDSTRING, -1, LPARAM(prefix.c_str()));
    ASSERT_GE(index, 0) << prefix;
    Send(kDriveComboBox1, CB_SHOWDROPDOWN, TRUE);
    Send(kDriveComboBox1, CB_SETCURSEL, index);
    Send(kDriveComboBox1, WM_KEYDOWN, VK_RETURN);
  }
  std::vector<std::string> ListItems() {
    std::vector<std::string> items(Send(kDirectoryListBox1, LB_GETCOUNT, 0));
    for (std::size_t i = 0; i < items.size(); ++i) {
      items[i].resize(Send(kDirectoryListBox1, LB_GETTEXTLEN, i));
      Send(kDirectoryListBox1, LB_GETTEXT, i, LPARAM(items[i].data()));
    }
    return items;
  }
  // Opens the item as a double click does, or as Enter does.
  void OpenItem(const std::string& text, bool by_enter = false) {
    const auto items = ListItems();
    const auto index = std::find(items.begin(), items.end(), text) - items.begin();
    ASSERT_LT(index, std::ssize(items)) << text;
    Send(kDirectoryListBox1, LB_SETCURSEL, index);
    RECT item{};
    Send(kDirectoryListBox1, LB_GETITEMRECT, index, LPARAM(&item));
    Send(kDirectoryListBox1, by_enter ? WM_KEYDOWN : WM_LBUTTONDBLCLK, by_enter ? VK_RETURN : 0,
         MAKELPARAM(item.left + 30, item.top + 2));
  }

  char start_dir[MAX_PATH] = {};
  std::unique_ptr<Tsetdirform> setdir;
  std::unique_ptr<TAboutBox> about;
};

TEST_F(DialogsTest, PlacedBesideTheMainWindowOrCentredAndOnlyRaisedWhileOpen) {
  MakeAll();
  auto origins_after = [&](int left, int top) {
    ::SetWindowPos(form->hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (int item : {IDM_K1, IDM_KA1}) Command(item);
    const RECT a = RectOf(setdir->hwnd()), b = RectOf(about->hwnd());
    return std::array{a.left, a.top, b.left, b.top};
  };
  Command(IDM_K1);
  EXPECT_EQ(::GetFocus(), Sd(kDriveComboBox1)) << "the first tab stop at the first showing";
  Command(IDM_KA1);
  EXPECT_EQ(::GetFocus(), about->Control(kOKButton));
  const RECT r = RectOf(about->hwnd());
  EXPECT_EQ((std::pair{r.left, r.top}),
            std::pair((1024 - r.right + r.left) / 2, (768 - r.bottom + r.top) / 2))
      << "centred at the first showing";
  EXPECT_FALSE(Key(*about, WM_KEYDOWN, VK_ESCAPE)) << "Escape does nothing";
  EXPECT_TRUE(Key(*about, WM_KEYDOWN, VK_RETURN));
  EXPECT_FALSE(::IsWindowVisible(about->hwnd())) << "closed by Enter";
  ::ShowWindow(setdir->hwnd(), SW_HIDE);
  EXPECT_EQ(origins_after(200, 80), (std::array<LONG, 4>{290, 140, 290, 140}));
  StoreDir("C:\\");
  EXPECT_EQ(origins_after(10, 10), (std::array<LONG, 4>{290, 140, 290, 140}))
      << "only brought to the front";
  EXPECT_NE(Edit1(), "C:\\") << "the settings are not read again while open";
}

TEST_F(DialogsTest, ShowsTheStoredFolderWhenItExistsAndOkStoresTheField) {
  scratch.Write("FMIWAKER.ini", "[Location]\r\ntop=10\r\n");
  MakeAll();
  Command(IDM_K1);
  EXPECT_EQ(Edit1() + "\\", scratch.path()) << "key Dir missing: the program's folder";
  // A relative name typed into the main window is taken from that folder.
  scratch.Write("memo.txt", "text");
  EXPECT_EQ(Click(kButton2, "memo.txt"), "これはテキスト(TXT)ファイルです。");
  Command(IDM_K1);  // back to the front, the focus where it was
  ::SetWindowTextA(Sd(kSetdirEdit1), "C:\\NO-SUCH");
  EXPECT_TRUE(Key(*setdir, WM_KEYDOWN, VK_TAB));
  EXPECT_EQ(::GetFocus(), Sd(kDirectoryListBox1));
  EXPECT_FALSE(Key(*setdir, WM_KEYDOWN, VK_RETURN)) << "no default button";
  EXPECT_TRUE(Key(*setdir, WM_SYSCHAR, 'O'));
  EXPECT_EQ(profiles.Read(scratch.path() + "FMIWAKER.ini", "Dir", "Dir", ""), "C:\\NO-SUCH\\");
  EXPECT_FALSE(::IsWindowVisible(setdir->hwnd()));
  EXPECT_EQ(boxes.shown,
            (std::vector<testing::ShownBox>{{"検索フォルダを設定しました。", "設定", 0}}));
  Command(IDM_K1);
  EXPECT_EQ(::GetFocus(), Sd(kDirectoryListBox1)) << "back to the control that had it";
  EXPECT_EQ(Edit1(), "C:\\NO-SUCH") << "a stored folder that does not exist changes nothing";
  StoreDir("C:\\");
  ::SendMessageA(setdir->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(setdir->hwnd() != nullptr && !::IsWindowVisible(setdir->hwnd())) << "only hidden";
  Command(IDM_K1);
  EXPECT_EQ(Edit1(), "C:\\");
  EXPECT_TRUE(Key(*setdir, WM_SYSCHAR, 'c'));
  EXPECT_FALSE(::IsWindowVisible(setdir->hwnd())) << "cancelled";
}

// Settings that cannot be written: a box each time, and the window and the dialog go on.
TEST_F(DialogsTest, UnwritableSettingsAreToldAndChangeNothingElse) {
  const std::string missing = scratch.path() + "gone\\";
  MakeAll(missing);
  EXPECT_EQ(Click(kButton2, scratch.Write("memo.txt", "text")),
            "これはテキスト(TXT)ファイルです。");
  Command(IDM_K1);
  ::SendMessageA(setdir->hwnd(), WM_COMMAND, kSetdirButton1, 0);
  EXPECT_TRUE(::IsWindowVisible(setdir->hwnd())) << "OK did not store the folder";
  form.reset();
  std::string told;  // at the start, by OK, at the close
  for (const auto& box : boxes.shown) told += box.text.substr(missing.size()) + "\n";
  EXPECT_EQ(told,
            "FMIWAKER.ini に書き込めません.\nFMIWAKER.ini に書き込めません.\n"
            "Fmiwaker.ini に書き込めません.\n");
}

TEST_F(DialogsTest, ListsPlainSubfoldersSortedAndOpensThem) {
  const std::string top = scratch.path() + "top";
  for (const char* name : {"", "\\b", "\\A", "\\c", "\\hidden", "\\system"})
    ::CreateDirectoryA((top + name).c_str(), nullptr);
  scratch.Write("top\\file", "");
  ::SetFileAttributesA((top + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesA((top + "\\system").c_str(), FILE_ATTRIBUTE_SYSTEM);
  StoreDir(top);
  MakeAll();
  Command(IDM_K1);
  auto items = ListItems();
  ASSERT_GE(items.size(), 4u);
  EXPECT_EQ(std::vector(items.end() - 4, items.end()),
            (std::vector<std::string>{"top", "A", "b", "c"}));
  OpenItem("b");
  EXPECT_EQ(Edit1(), top + "\\b");
  EXPECT_EQ(ListItems().back(), "b");
  OpenItem("top", true);
  EXPECT_EQ(Edit1(), top);
  // A folder removed meanwhile: the box, and the list stays as it was.
  ASSERT_TRUE(::RemoveDirectoryA((top + "\\c").c_str()));
  OpenItem("c", true);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].flags, kMbIconStop) << boxes.shown[0].text;
  EXPECT_EQ(ListItems(), items);
  OpenItem("A");
  EXPECT_EQ(Edit1(), top + "\\A") << "still usable";
}

TEST_F(DialogsTest, DriveThatIsNotReadyJumpsBackAndOthersAreVisited) {
  ASSERT_TRUE(::GetDriveTypeA("Q:\\") == DRIVE_REMOVABLE && ::GetDriveTypeA("R:\\") == DRIVE_FIXED)
      << "the test drives q: and r: are not set up";
  ::CreateDirectoryA("R:\\sub", nullptr);
  MakeAll();
  StoreDir(scratch.path());
  Command(IDM_K1);
  const std::string before = Edit1();
  ::SetWindowTextA(Sd(kSetdirEdit1), "typed");
  ::SendMessageA(Sd(kDriveComboBox1), WM_CHAR, 'q', 0);  // a key on the closed box
  EXPECT_EQ(WindowText(Sd(kDriveComboBox1)).substr(0, 2), "c:");
  EXPECT_EQ(Edit1(), before);
  ChooseDrive('r');
  EXPECT_EQ(Edit1(), "R:\\") << "the root at the first visit";
  OpenItem("sub");
  ChooseDrive('c');
  EXPECT_EQ(Edit1(), before);
  ChooseDrive('r');
  EXPECT_EQ(Edit1(), "R:\\sub") << "back where the process was on r:";
  ::SetCurrentDirectoryA(start_dir);
  ::RemoveDirectoryA("R:\\sub");
}

}  // namespace
}  // namespace miwake
