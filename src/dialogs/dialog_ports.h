// What the two dialogs need of the program: the settings file's store, file
// access, the application's message box, and the main window, which they
// belong to and stand beside.
#pragma once

#include <windows.h>

#include <string>

#include "common/file_system.h"
#include "common/message_box.h"
#include "settings/settings_file.h"

namespace miwake {

struct DialogPorts {
  ProfileStore& profiles;
  FileSystem& files;
  AppMessageBox& boxes;
  HWND main_window;
  std::string app_dir;  // ends in a backslash
};

// Top at the main window's top + 60, then left at its left + 90, wherever
// that lies on the screen.
inline void PlaceBesideMain(HWND window, HWND main_window) {
  RECT main{};
  ::GetWindowRect(main_window, &main);
  constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  ::SetWindowPos(window, nullptr, main.left + 90, main.top + 60, 0, 0, kMoveOnly);
}

}  // namespace miwake
