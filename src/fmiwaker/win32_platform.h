// Every Win32 adapter of FMIWAKER.EXE, made in one place at start-up.
#pragma once

#include <memory>
#include <string>

#include "actions/ports_win32.h"
#include "common/busy_cursor_win32.h"
#include "common/message_box_win32.h"
#include "fmiwaker/app_ports.h"
#include "identify/version_refiner.h"
#include "settings/settings_win32.h"

namespace miwake {

class Win32OpenFileDialog final : public OpenFileDialog {
 public:
  void SetInitialFolder(const std::string& folder) override { initial_folder_ = folder; }
  std::optional<std::string> Run(HWND owner) override;

 private:
  std::string initial_folder_;
  std::string last_name_;
};

class Win32Platform {
 public:
  AppPorts Ports() {
    return {*files_, boxes_, identifier_, associations_, starter_, profiles_, open_dialog_};
  }
  // The owner of the message boxes and of the documents the commands open.
  void SetMainWindow(HWND window) {
    boxes_.set_owner(window);
    starter_.set_owner(window);
  }

 private:
  std::unique_ptr<FileSystem> files_ = MakePlatformFileSystem();
  Win32MessageBox boxes_;
  Win32BusyCursor cursor_;
  VersionResourceRefiner refiner_;
  Classifier classifier_{refiner_};
  Identifier identifier_{classifier_, *files_, cursor_};
  Win32FileAssociations associations_;
  Win32ProgramStarter starter_;
  Win32ProfileStore profiles_;
  Win32OpenFileDialog open_dialog_;
};

}  // namespace miwake
