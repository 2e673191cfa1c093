// The About box: the program's icon, name and version.
#pragma once

#include <array>
#include <memory>

#include "common/version.h"
#include "dialogs/dialog_ports.h"
#include "toolkit/window.h"

namespace miwake {

enum AboutControlId : int {
  kPanel1 = 401,
  kProgramIcon,
  kProductName,
  kVersion,
  kCredit,
  kOKButton,
};

namespace about_rows {
using enum ControlKind;
using enum FontChoice;

// The four after the panel stand in it; "#1" is the executable's main icon.
inline constexpr std::array<ControlRow, 6> kControls{{
    {"Panel1", kPanel, kPanel1, 8, 8, 217, 105, "", kForm, -1},
    {"ProgramIcon", kPicture, kProgramIcon, 16, 16, 41, 41, "", kForm, -1, nullptr, 0, "#1",
     kPanel1},
    {"ProductName", kLabel, kProductName, 64, 16, 96, 18, "ミワケール", kForm, -1, nullptr, 0,
     nullptr, kPanel1},
    {"Version", kLabel, kVersion, 104, 40, 86, 18, "Version " MIWAKE_VERSION_TEXT, kForm, -1,
     nullptr, 0, nullptr, kPanel1},
    {"Credit", kLabel, kCredit, 72, 72, 128, 18, "(C) ミワケール工房", kForm, -1, nullptr, 0,
     nullptr, kPanel1},
    {"OKButton", kDefaultButton, kOKButton, 79, 130, 90, 31, "OK", kForm, 1, nullptr, 0,
     "CHECKMARK"},
}};
}  // namespace about_rows

inline constexpr const auto& kAboutControls = about_rows::kControls;

inline constexpr WindowDesign kAboutDesign{"TAboutBox",
                                           "バージョン情報",
                                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                           149,
                                           88,
                                           240,
                                           175,
                                           0,
                                           0,
                                           {"System", 13},
                                           kAboutControls,
                                           WS_EX_DLGMODALFRAME | WS_EX_TOPMOST,
                                           true};

class TAboutBox final : public Window {
  struct Passkey {
    explicit Passkey() = default;
  };

 public:
  static std::unique_ptr<TAboutBox> Create(HINSTANCE instance, const DialogPorts& ports);
  TAboutBox(Passkey, const DialogPorts& ports);

  void FormShow();
  void OKButtonClick();

 private:
  void OnShow() override;
  void OnCommand(int id) override;
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

  HWND main_window_;
  bool centred_ = false;  // the screen-centring rule holds for the first showing only
};

}  // namespace miwake
