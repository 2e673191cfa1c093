// The main window: the file-name and result fields, the command buttons,
// the menu, the status-bar hints and the size rules.
#pragma once

#include <windows.h>
// After windows.h, on which it builds.
#include <shellapi.h>

#include <memory>
#include <string>

#include "fmiwaker/app_ports.h"
#include "settings/settings_steps.h"
#include "toolkit/window.h"

namespace miwake {

struct MainFormOptions {
  std::string app_dir;       // empty: the executable's folder
  bool ends_program = true;  // whether destroying the window ends the message loop
};

class Tmainform final : public Window {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  // Creates the window, hidden, with its controls; FormCreate has run. Null
  // when the window could not be made (the reason has been shown).
  static std::unique_ptr<Tmainform> Create(HINSTANCE instance, const AppPorts& ports,
                                           MainFormOptions options = {});
  Tmainform(Passkey, const AppPorts& ports, MainFormOptions options);
  ~Tmainform() override;

  const std::string& AppDir() const { return app_dir_; }
  // The windows that K1 and KA1 show; they must outlive this one's use of them.
  void SetDialogs(Window* setdirform, Window* about_box) {
    setdirform_ = setdirform;
    about_box_ = about_box;
  }

  // The handlers, by the names the window's design gives them. A menu item
  // that does what a button does runs the button's handler: K2Click is
  // Button2Click, K3Click Button3Click, Delete1Click Button4Click, P2Click
  // Button6Click, N3Click Button7Click, KN1Click Button1Click, Exit1Click
  // Button5Click (the control table pairs them).
  void FormCreate();
  void FormDestroy();
  void FormResize();
  void WMGetMinMaxInfo(MINMAXINFO& info);
  // A file dropped from Explorer: the first name goes into Edit1.
  void WMDropFiles(HDROP drop);
  // A file named on the command line goes into Edit1 the same way.
  void TakeFileName(const std::string& name);
  void FormMouseMove();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void K1Click();
  void KH2Click();
  void KA1Click();

 private:
  class EditResult;
  void OnCreate() override { FormCreate(); }
  void OnCommand(int id) override;
  void OnControlMouseMove(const ControlRow& row) override;
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
  CommandPorts Commands();
  std::string Edit1Text() const;
  void SetHint(const std::string& text);
  void BrowseForFile();
  void SavePositionNow();
  WindowPosition CurrentPosition() const;

  AppPorts ports_;
  MainFormOptions options_;
  std::string app_dir_;
  std::string hint_;
  std::unique_ptr<EditResult> result_;
  Window* setdirform_ = nullptr;
  Window* about_box_ = nullptr;
};

// The show command with which the main window first appears.
int MainWindowShowCommand(int started_with);

}  // namespace miwake
