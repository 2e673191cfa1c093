// The search-folder dialog: a drive, a folder or a typed path becomes the
// folder in which the main window's file-open dialog starts.
#pragma once

#include <array>
#include <memory>

#include "dialogs/dialog_ports.h"
#include "toolkit/directory_list_box.h"
#include "toolkit/drive_combo_box.h"
#include "toolkit/window.h"

namespace miwake {

enum SetdirControlId : int {
  kSetdirLabel1 = 301,
  kSetdirEdit1,
  kDriveComboBox1,
  kDirectoryListBox1,
  kSetdirButton1,
  kSetdirButton2,
};

namespace setdir_rows {
using enum ControlKind;
using enum FontChoice;

inline constexpr std::array<ControlRow, 6> kControls{{
    {"Label1", kLabel, kSetdirLabel1, 16, 8, 96, 18, "検索フォルダ", kA, -1},
    {"Edit1", kEdit, kSetdirEdit1, 16, 32, 297, 26, "", kA, 4},
    {"DriveComboBox1", kDropDownList, kDriveComboBox1, 16, 72, 297, 24, "", kA, 0},
    {"DirectoryListBox1", kOwnerDrawList, kDirectoryListBox1, 16, 112, 297, 121, "", kA, 1},
    {"Button1", kButton, kSetdirButton1, 16, 248, 137, 33, "&OK", kA, 2},
    {"Button2", kButton, kSetdirButton2, 176, 248, 137, 33, "&CANCEL", kA, 3},
}};
}  // namespace setdir_rows

inline constexpr const auto& kSetdirControls = setdir_rows::kControls;

inline constexpr WindowDesign kSetdirDesign{
    "Tsetdirform",
    "検索フォルダの設定",
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
    193,
    75,
    329,
    299,
    0,
    0,
    {"ＭＳ Ｐゴシック", 12},
    kSetdirControls,
    WS_EX_DLGMODALFRAME | WS_EX_TOPMOST,
    true,
    true};

class Tsetdirform final : public Window {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  // Created hidden; its controls are made at the first showing.
  static std::unique_ptr<Tsetdirform> Create(HINSTANCE instance, const DialogPorts& ports);
  Tsetdirform(Passkey, const DialogPorts& ports);

  void Formshow();
  void Button1Click();
  void Button2Click();
  void DriveComboBox1Change();
  void DirectoryListBox1Change();

 private:
  void OnCreate() override;
  void OnShow() override { Formshow(); }
  void OnCommand(int id) override;
  CustomControl* CustomOf(int id) override;
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
  SettingsFile Settings() const;

  DialogPorts ports_;
  DriveComboBox drives_;
  DirectoryListBox folders_;
};

}  // namespace miwake
