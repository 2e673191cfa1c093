// The drive selector: a drop-down list of the system's drives, each drawn
// with its picture, that holds a current drive and says when it changes.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/folder_rules.h"
#include "toolkit/window.h"

namespace miwake {

class DriveComboBox final : public CustomControl {
 public:
  std::function<void()> OnChange;

  // Takes the made control, lists the drives and selects the drive of the
  // process's current folder, which raises OnChange.
  void Attach(HWND combo);
  char Drive() const { return drive_; }  // lower-case
  // Selects the drive's item and raises OnChange, unless it is current.
  void SetDrive(char letter);

  void Draw(const DRAWITEMSTRUCT& item) override;
  void Notify(int code) override;

 private:
  struct Item {
    std::string text;
    DrivePicture picture;
  };
  void Choose(int index);
  void SelectCurrent();  // and raises OnChange

  HWND combo_ = nullptr;
  char drive_ = '\0';
  std::vector<Item> items_;
  std::array<BitmapHandle, 5> pictures_;
};

}  // namespace miwake
