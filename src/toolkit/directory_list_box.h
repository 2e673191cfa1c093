// The folder list: the way from a drive's root down to the current folder,
// then its subfolders, each drawn with its picture. The process's current
// directory follows it, and stays where it was left.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/folder_rules.h"
#include "toolkit/window.h"

namespace miwake {

class DirectoryListBox final : public CustomControl {
 public:
  std::function<void()> OnChange;

  // Takes the made control and shows the process's current folder.
  void Attach(HWND list);
  const std::string& Directory() const { return directory_; }
  char Drive() const { return DriveOf(directory_); }  // lower-case
  // Moves to the folder, relative to the current one, and raises OnChange;
  // nothing for an empty text or the current folder. Throws AppError with
  // the system's reason when the folder cannot be entered.
  void SetDirectory(const std::string& folder);
  // Moves to the folder this process was on last on that drive (its root
  // at the first visit), unless the list is on that drive already.
  void SetDrive(char letter);

  void Draw(const DRAWITEMSTRUCT& item) override;
  void Notify(int code) override;
  bool KeyDown(WPARAM key) override;

 private:
  void Rebuild();
  void OpenSelected();

  HWND list_ = nullptr;
  std::string directory_;
  bool case_sensitive_ = false;
  std::vector<FolderItem> items_;
  std::array<BitmapHandle, 3> pictures_;
};

}  // namespace miwake
