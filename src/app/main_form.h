// The main window: the file-name and result fields, the command buttons,
// the menu, the status-bar hints and the size rules.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "actions/ports.h"
#include "common/busy_cursor_win32.h"
#include "common/gdi_handle_win32.h"
#include "common/message_box_win32.h"
#include "identify/version_refiner.h"
#include "settings/settings_steps.h"
#include "settings/settings_win32.h"

namespace miwake {

// The file-open dialog; it keeps the last name chosen for its next run.
class OpenFileDialog {
 public:
  virtual ~OpenFileDialog() = default;
  virtual void SetInitialFolder(const std::string& folder) = 0;
  // The chosen full path, or nothing when cancelled.
  virtual std::optional<std::string> Run(HWND owner) = 0;
};

// What the window uses of the outside world; tests replace parts of it.
struct MainFormPorts {
  AppMessageBox* boxes = nullptr;                         // null: MessageBoxA owned by the window
  std::string app_dir;                                    // empty: the executable's folder
  OpenFileDialog* open_dialog = nullptr;                  // null: GetOpenFileNameA
  std::function<void(const std::string&)> open_document;  // empty: ShellExecuteA "open"
  bool ends_program = true;  // whether destroying the window ends the message loop
};

class Tmainform {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  // Creates the window, hidden, with its controls; FormCreate has run.
  static std::unique_ptr<Tmainform> Create(HINSTANCE instance, MainFormPorts ports);
  Tmainform(Passkey, MainFormPorts ports);
  ~Tmainform();
  Tmainform(const Tmainform&) = delete;
  Tmainform& operator=(const Tmainform&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }
  const std::string& AppDir() const { return app_dir_; }
  // How many times the status bar was sent a text.
  int hint_sends() const { return hint_sends_; }

  // Keyboard handling of the message loop; true when the message was used.
  bool PreTranslateMessage(const MSG& msg);

  // The handlers, by the names the window's design gives them.
  void FormCreate();
  void FormDestroy();
  void FormResize();
  void WMGetMinMaxInfo(MINMAXINFO& info);
  void FormMouseMove();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void KN1Click() { Button1Click(); }
  void K2Click() { Button2Click(); }
  void K3Click() { Button3Click(); }
  void Delete1Click() { Button4Click(); }
  void P2Click() { Button6Click(); }
  void N3Click() { Button7Click(); }
  void Exit1Click() { Button5Click(); }
  void K1Click();
  void KH2Click();
  void KA1Click();
  void Button1MouseMove();
  void Button2MouseMove();
  void Button3MouseMove();
  void Button4MouseMove();
  void Button5MouseMove();
  void Button6MouseMove();
  void Button7MouseMove();

 private:
  class EditResult;
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                     DWORD_PTR self);
  LRESULT Dispatch(UINT msg, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id);
  void OnButtonMouseMove(int id);
  void CreateControls();
  void ShowError(const std::exception& error);
  AppMessageBox& Boxes() { return ports_.boxes != nullptr ? *ports_.boxes : own_boxes_; }
  void SetHint(const std::string& text);
  std::string Edit1Text() const;
  void BrowseForFile();
  WindowPosition CurrentPosition() const;

  MainFormPorts ports_;
  HWND hwnd_ = nullptr;
  std::string app_dir_;
  std::string hint_;
  int hint_sends_ = 0;
  FontHandle form_font_;
  FontHandle font_a_;
  Win32MessageBox own_boxes_;
  std::unique_ptr<OpenFileDialog> own_dialog_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<EditResult> result_;
  Win32BusyCursor cursor_;
  VersionResourceRefiner refiner_;
  Win32ProfileStore store_;
  Win32SettingsDisk disk_;
};

// The show command with which the main window first appears.
int MainWindowShowCommand(int started_with);

}  // namespace miwake
