// The main window's design: its controls as the window's resource lays them
// out, with each button's hint and the menu item that does the same, and the
// rule that moves them when the window's width changes.
#pragma once

#include <array>

#include "fmiwaker/resource_ids.h"
#include "toolkit/window.h"

namespace miwake {

// Ids avoid 1 and 2, which the system sends for Enter and Esc.
enum ControlId : int {
  kLabel1 = 101,
  kEdit1,
  kButton1,
  kLabel2,
  kEdit2,
  kButton2,
  kButton3,
  kButton4,
  kButton6,
  kButton7,
  kButton5,
  kStatusBar1,
};

namespace main_form_rows {
using enum ControlKind;
using enum FontChoice;

inline constexpr std::array<ControlRow, 12> kControls{{
    {"Label1", kLabel, kLabel1, 16, 16, 208, 18, "ファイル名を入力して下さい", kA, -1},
    {"Edit1", kEdit, kEdit1, 16, 40, 385, 26, "", kA, 0},
    {"Button1", kButton, kButton1, 416, 40, 65, 25, "参照", kA, 2,
     "マウスでファイル名を入力できます。", IDM_KN1},
    {"Label2", kLabel, kLabel2, 16, 80, 32, 18, "結果", kA, -1},
    {"Edit2", kReadOnlyEdit, kEdit2, 16, 104, 465, 26, "", kA, 1},
    {"Button2", kButton, kButton2, 16, 152, 70, 33, "判別", kA, 3, "ファイルの内容を判別します。",
     IDM_K2},
    {"Button3", kButton, kButton3, 96, 152, 70, 33, "変更", kA, 4, "拡張子を変更します。", IDM_K3},
    {"Button4", kButton, kButton4, 176, 152, 70, 33, "削除", kA, 5, "ファイルを削除します。",
     IDM_DELETE1},
    {"Button6", kButton, kButton6, 256, 152, 70, 33, "起動", kAWindowText, 8,
     "アプリケーションを起動します。", IDM_P2},
    {"Button7", kButton, kButton7, 336, 152, 70, 33, "変更＆起動", kForm, 9,
     "拡張子を変更して、アプリケーションを起動します。", IDM_N3},
    {"Button5", kButton, kButton5, 416, 152, 70, 33, "終了", kA, 6, "ミワケールを終了します。",
     IDM_EXIT1},
    {"StatusBar1", kStatusBar, kStatusBar1, 0, 205, 492, 19, "", kPlatform, -1},
}};
}  // namespace main_form_rows

inline constexpr const auto& kMainFormControls = main_form_rows::kControls;

inline constexpr int kDesignLeft = 138;
inline constexpr int kDesignTop = 109;
inline constexpr int kDesignWidth = 500;
inline constexpr int kDesignHeight = 270;

inline constexpr WindowDesign kMainFormDesign{"Tmainform",
                                              kAppTitle,
                                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                              kDesignLeft,
                                              kDesignTop,
                                              kDesignWidth,
                                              kDesignHeight,
                                              IDI_FORMICON,
                                              IDM_MAINMENU,
                                              {"ＭＳ Ｐゴシック", 12},
                                              kMainFormControls};

struct ResizedLayout {
  int edit1_width;
  int edit2_width;
  int button1_left;
};

// For the window's outer width.
constexpr ResizedLayout LayoutForWidth(int outer_width) {
  return {outer_width - 115, outer_width - 35, outer_width - 84};
}

}  // namespace miwake
