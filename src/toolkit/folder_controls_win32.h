// What the drive selector and the folder list share: the text rules of the
// user's locale and the volume query.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "common/encoding.h"
#include "common/gdi_handle_win32.h"
#include "toolkit/owner_draw.h"

namespace miwake {

// The bitmaps of the given names from the control's module.
template <std::size_t N>
std::array<BitmapHandle, N> LoadPictures(HWND control, const char* const (&names)[N]) {
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(control, GWLP_HINSTANCE));
  std::array<BitmapHandle, N> pictures;
  for (std::size_t i = 0; i < N; ++i) {
    pictures[i] =
        BitmapHandle(static_cast<HBITMAP>(::LoadImageA(instance, names[i], IMAGE_BITMAP, 0, 0, 0)));
  }
  return pictures;
}

// The process's current folder; empty when the system cannot say.
inline std::string CurrentDirectory() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
  return std::string(folder, length <= MAX_PATH ? length : 0);
}

// As the user locale orders names, letter case aside: below, at or above zero.
inline int CompareIgnoringCase(const std::string& a, const std::string& b) {
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) -
         CSTR_EQUAL;
}

// While it lives, a drive without its medium fails a call instead of
// having the system ask for the medium.
class CriticalErrorsOff {
 public:
  CriticalErrorsOff() : previous_(::SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CriticalErrorsOff() { ::SetErrorMode(previous_); }
  CriticalErrorsOff(const CriticalErrorsOff&) = delete;
  CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

 private:
  UINT previous_;
};

// The volume's file-system flags, and its label when asked.
inline bool VolumeInformation(const std::string& root, DWORD& flags, std::string* label) {
  const CriticalErrorsOff quiet;
  char name[261] = {};
  const bool ok = ::GetVolumeInformationA(root.c_str(), name, sizeof name, nullptr, nullptr, &flags,
                                          nullptr, 0) != 0;
  if (label != nullptr) *label = ok ? name : "";
  return ok;
}

}  // namespace miwake
