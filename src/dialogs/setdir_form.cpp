#include "dialogs/setdir_form.h"

#include "dialogs/dialog_rules.h"
#include "toolkit/folder_controls_win32.h"

namespace miwake {

Tsetdirform::Tsetdirform(Passkey, const DialogPorts& ports)
    : Window(kSetdirDesign, ports.boxes), ports_(ports) {}

std::unique_ptr<Tsetdirform> Tsetdirform::Create(HINSTANCE instance, const DialogPorts& ports) {
  auto form = std::make_unique<Tsetdirform>(Passkey{}, ports);
  if (!form->CreateHidden(instance, ports.main_window)) return nullptr;
  return form;
}

void Tsetdirform::OnCreate() {
  folders_.OnChange = [this] { DirectoryListBox1Change(); };
  drives_.OnChange = [this] { DriveComboBox1Change(); };
  folders_.Attach(Control(kDirectoryListBox1));
  drives_.Attach(Control(kDriveComboBox1));
}

void Tsetdirform::OnCommand(int id) {
  if (id == kSetdirButton1) Button1Click();
  if (id == kSetdirButton2) Button2Click();
}

CustomControl* Tsetdirform::CustomOf(int id) {
  if (id == kDriveComboBox1) return &drives_;
  if (id == kDirectoryListBox1) return &folders_;
  return nullptr;
}

LRESULT Tsetdirform::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg != WM_CLOSE) return DefaultHandling(msg, wparam, lparam);
  Button2Click();
  return 0;
}

SettingsFile Tsetdirform::Settings() const {
  return SettingsFile(ports_.profiles, ports_.app_dir + "FMIWAKER.ini");
}

void Tsetdirform::Formshow() {
  PlaceBesideMain(hwnd(), ports_.main_window);
  const std::string folder = Settings().ReadText("Dir", "Dir", ports_.app_dir);
  if (!ports_.files.FolderExists(folder)) return;
  folders_.SetDirectory(folder);
  drives_.SetDrive(folders_.Drive());
}

void Tsetdirform::Button1Click() {
  Settings().WriteText("Dir", "Dir", WithTrailingBackslash(WindowText(Control(kSetdirEdit1))));
  ::ShowWindow(hwnd(), SW_HIDE);
  Boxes().Show("検索フォルダを設定しました。", "設定", kMbOk);
}

void Tsetdirform::Button2Click() {
  ::ShowWindow(hwnd(), SW_HIDE);
}

void Tsetdirform::DriveComboBox1Change() {
  DWORD sectors = 0, bytes = 0, free = 0, total = 0;
  bool ready = false;
  {
    const CriticalErrorsOff quiet;
    ready = ::GetDiskFreeSpaceA(RootOf(drives_.Drive()).c_str(), &sectors, &bytes, &free, &total);
  }
  // Not ready: back to the list's drive, which runs this again, nested.
  if (!ready) {
    drives_.SetDrive(folders_.Drive());
  } else {
    folders_.SetDrive(drives_.Drive());
  }
  DirectoryListBox1Change();
}

void Tsetdirform::DirectoryListBox1Change() {
  ::SetWindowTextA(Control(kSetdirEdit1), folders_.Directory().c_str());
}

}  // namespace miwake
