// What the windows use of the outside world. The adapters are made once at
// start-up (or by a test) and outlive the windows, which do not own them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "actions/ports.h"
#include "settings/settings_file.h"

namespace miwake {

// The file-open dialog; it keeps the last name chosen for its next run.
class OpenFileDialog {
 public:
  virtual ~OpenFileDialog() = default;
  virtual void SetInitialFolder(const std::string& folder) = 0;
  // The chosen full path, or nothing when cancelled.
  virtual std::optional<std::string> Run(HWND owner) = 0;
};

struct AppPorts {
  FileSystem& files;
  AppMessageBox& boxes;
  Identifier& identifier;
  FileAssociations& associations;
  ProgramStarter& starter;
  ProfileStore& profiles;
  OpenFileDialog& open_dialog;
};

}  // namespace miwake
