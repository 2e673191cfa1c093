#include "fmiwaker/win32_platform.h"

#include <commdlg.h>

#include <array>

namespace miwake {

std::optional<std::string> Win32OpenFileDialog::Run(HWND owner) {
  std::array<char, 260> file{};
  last_name_.copy(file.data(), file.size() - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = "すべてのファイル\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initial_folder_.empty() ? nullptr : initial_folder_.c_str();
  ofn.Flags = OFN_HIDEREADONLY;
  if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
  last_name_ = file.data();
  return last_name_;
}

}  // namespace miwake
