#include "toolkit/directory_list_box.h"

#include <algorithm>

#include "common/app_error.h"
#include "common/io_error_text.h"
#include "common/text.h"
#include "common/win32_handle.h"
#include "toolkit/folder_controls_win32.h"

namespace miwake {
namespace {

// In the order of FolderPicture.
constexpr const char* kPictureNames[] = {"OPENFOLDER", "CLOSEDFOLDER", "CURRENTFOLDER"};
constexpr int kItemHeight = 18;

std::vector<std::string> Subfolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  const FindHandle find(
      ::FindFirstFileA(JoinPath(folder, "*.*", NameStyle::kWindowsBackslash).c_str(), &data));
  for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.get(), &data)) {
    if (IsListedFolder(data.cFileName, data.dwFileAttributes)) names.push_back(data.cFileName);
  }
  return SortedUniqueNames(std::move(names), CompareIgnoringCase);
}

}  // namespace

void DirectoryListBox::Attach(HWND list) {
  list_ = list;
  pictures_ = LoadPictures(list, kPictureNames);
  ::SendMessageA(list, LB_SETITEMHEIGHT, 0, kItemHeight);
  directory_ = CurrentDirectory();
  Rebuild();
}

void DirectoryListBox::SetDirectory(const std::string& folder) {
  if (folder.empty()) return;
  if (case_sensitive_ ? folder == directory_ : CompareIgnoringCase(folder, directory_) == 0) return;
  if (!::SetCurrentDirectoryA(folder.c_str()))
    throw AppError(IoErrorText(static_cast<int>(::GetLastError())));
  directory_ = CurrentDirectory();
  // As the C runtime's chdir does: "X:" alone then means this folder again.
  if (directory_.size() >= 2 && directory_[1] == ':') {
    ::SetEnvironmentVariableA(("=" + directory_.substr(0, 2)).c_str(), directory_.c_str());
  }
  Rebuild();
  if (OnChange) OnChange();
}

void DirectoryListBox::SetDrive(char letter) {
  if (DriveOf(std::string_view(&letter, 1)) == Drive()) return;
  SetDirectory(RootOf(letter).substr(0, 2));
}

void DirectoryListBox::Rebuild() {
  DWORD flags = 0;
  VolumeInformation(directory_.substr(0, 3), flags, nullptr);
  case_sensitive_ = (flags & FILE_CASE_SENSITIVE_SEARCH) != 0;
  items_ = FolderListItems(directory_, Subfolders(directory_));
  ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list_, LB_RESETCONTENT, 0, 0);
  for (FolderItem& item : items_) {
    if (!ShowsNamesAsStored(flags)) item.text = LowerAnsi(item.text);
    ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
  }
  const auto current = std::find_if(items_.begin(), items_.end(), [](const FolderItem& item) {
    return item.picture == FolderPicture::kCurrent;
  });
  ::SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(current - items_.begin()), 0);
  ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
}

void DirectoryListBox::OpenSelected() {
  const auto index = static_cast<std::size_t>(::SendMessageA(list_, LB_GETCURSEL, 0, 0));
  if (index < items_.size()) SetDirectory(items_[index].target);
}

void DirectoryListBox::Notify(int code) {
  if (code == LBN_DBLCLK) OpenSelected();
}

bool DirectoryListBox::KeyDown(WPARAM key) {
  if (key != VK_RETURN) return false;
  OpenSelected();
  return true;
}

void DirectoryListBox::Draw(const DRAWITEMSTRUCT& item) {
  if (item.itemID >= items_.size()) return;
  const FolderItem& folder = items_[item.itemID];
  const HBITMAP picture = pictures_[static_cast<std::size_t>(folder.picture)].get();
  DrawPictureItem(item, picture, folder.indent, folder.indent + GlyphSize(picture).cx + 4,
                  folder.text);
}

}  // namespace miwake
