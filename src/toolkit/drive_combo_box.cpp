#include "toolkit/drive_combo_box.h"

#include <winnetwk.h>

#include <algorithm>
#include <optional>

#include "toolkit/folder_controls_win32.h"

namespace miwake {
namespace {

// In the order of DrivePicture.
constexpr const char* kPictureNames[] = {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"};

std::optional<std::string> NetworkName(char letter) {
  const std::string local{static_cast<char>(letter - ('a' - 'A')), ':'};
  char name[MAX_PATH] = {};
  DWORD size = sizeof name;
  if (::WNetGetConnectionA(local.c_str(), name, &size) != NO_ERROR) return std::nullopt;
  return name;
}

}  // namespace

void DriveComboBox::Attach(HWND combo) {
  combo_ = combo;
  pictures_ = LoadPictures(combo, kPictureNames);
  const DWORD drives = ::GetLogicalDrives();
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    if ((drives & (1u << (letter - 'a'))) == 0) continue;
    const std::string root{letter, ':', '\\'};
    const unsigned type = ::GetDriveTypeA(root.c_str());
    const std::optional<DrivePicture> picture = DrivePictureFor(type);
    if (!picture) continue;
    std::string label;
    DWORD flags = 0;
    if (type != kDriveRemovable) VolumeInformation(root, flags, &label);
    const std::optional<std::string> network =
        type == kDriveRemote ? NetworkName(letter) : std::nullopt;
    items_.push_back({LowerAnsi(DriveItemText(letter, type, label, network)), *picture});
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_.back().text.c_str()));
  }
  // The taller of the font's character cell and the pictures.
  TEXTMETRICA metrics{};
  const HDC dc = ::GetDC(combo);
  const int saved = ::SaveDC(dc);
  ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(combo, WM_GETFONT, 0, 0)));
  ::GetTextMetricsA(dc, &metrics);
  ::RestoreDC(dc, saved);
  ::ReleaseDC(combo, dc);
  const int height = std::max<int>(metrics.tmHeight, GlyphSize(pictures_[0].get()).cy);
  ::SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
  ::SendMessageA(combo, CB_SETITEMHEIGHT, 0, height);

  drive_ = DriveOf(CurrentDirectory());
  SelectCurrent();
}

void DriveComboBox::SetDrive(char letter) {
  letter = DriveOf(std::string_view(&letter, 1));
  if (letter == drive_) return;
  drive_ = letter;
  SelectCurrent();
}

void DriveComboBox::SelectCurrent() {
  std::vector<std::string> texts;
  for (const Item& item : items_) texts.push_back(item.text);
  const auto index = DriveItemIndex(texts, drive_);
  ::SendMessageA(combo_, CB_SETCURSEL, index ? static_cast<WPARAM>(*index) : -1, 0);
  if (OnChange) OnChange();
}

void DriveComboBox::Choose(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return;
  SetDrive(items_[static_cast<std::size_t>(index)].text[0]);
  if (OnChange) OnChange();
}

void DriveComboBox::Notify(int code) {
  // Every choice ends with SELENDOK, by mouse or key, open list or closed
  // box, of the same item too; SELCHANGE may follow it and is no choice.
  if (code == CBN_SELENDOK) Choose(static_cast<int>(::SendMessageA(combo_, CB_GETCURSEL, 0, 0)));
}

void DriveComboBox::Draw(const DRAWITEMSTRUCT& item) {
  if (item.itemID >= items_.size()) {
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    return;
  }
  const Item& drive = items_[item.itemID];
  const HBITMAP picture = pictures_[static_cast<std::size_t>(drive.picture)].get();
  DrawPictureItem(item, picture, 2, GlyphSize(picture).cx + 6, drive.text);
}

}  // namespace miwake
