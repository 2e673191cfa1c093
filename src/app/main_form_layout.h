// The main window's design: its controls as the window's resource lays them
// out, and the rule that moves them when the window's width changes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace miwake {

enum class ControlKind { kLabel, kEdit, kReadOnlyEdit, kButton, kStatusBar };
// kA: "System" 13 px, black; kAWindowText: the same in the window-text
// colour; kForm: the window's own font; kPlatform: the control's default.
enum class FontChoice { kA, kAWindowText, kForm, kPlatform };

struct ControlDesign {
  const char* name;
  ControlKind kind;
  int id;
  int left, top, width, height;
  const char* caption;
  FontChoice font;
  int tab_order;  // -1: not a tab stop
};

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

inline constexpr std::array<ControlDesign, 12> kMainFormControls{{
    {"Label1", ControlKind::kLabel, kLabel1, 16, 16, 208, 18, "ファイル名を入力して下さい",
     FontChoice::kA, -1},
    {"Edit1", ControlKind::kEdit, kEdit1, 16, 40, 385, 26, "", FontChoice::kA, 0},
    {"Button1", ControlKind::kButton, kButton1, 416, 40, 65, 25, "参照", FontChoice::kA, 2},
    {"Label2", ControlKind::kLabel, kLabel2, 16, 80, 32, 18, "結果", FontChoice::kA, -1},
    {"Edit2", ControlKind::kReadOnlyEdit, kEdit2, 16, 104, 465, 26, "", FontChoice::kA, 1},
    {"Button2", ControlKind::kButton, kButton2, 16, 152, 70, 33, "判別", FontChoice::kA, 3},
    {"Button3", ControlKind::kButton, kButton3, 96, 152, 70, 33, "変更", FontChoice::kA, 4},
    {"Button4", ControlKind::kButton, kButton4, 176, 152, 70, 33, "削除", FontChoice::kA, 5},
    {"Button6", ControlKind::kButton, kButton6, 256, 152, 70, 33, "起動", FontChoice::kAWindowText,
     8},
    {"Button7", ControlKind::kButton, kButton7, 336, 152, 70, 33, "変更＆起動", FontChoice::kForm,
     9},
    {"Button5", ControlKind::kButton, kButton5, 416, 152, 70, 33, "終了", FontChoice::kA, 6},
    {"StatusBar1", ControlKind::kStatusBar, kStatusBar1, 0, 205, 492, 19, "", FontChoice::kPlatform,
     -1},
}};

inline constexpr const char* kAppTitle = "ミワケール";
inline constexpr int kDesignLeft = 138;
inline constexpr int kDesignTop = 109;
inline constexpr int kDesignWidth = 500;
inline constexpr int kDesignHeight = 270;

struct ResizedLayout {
  int edit1_width;
  int edit2_width;
  int button1_left;
  bool operator==(const ResizedLayout&) const = default;
};

// For the window's outer width.
constexpr ResizedLayout LayoutForWidth(int outer_width) {
  return {outer_width - 115, outer_width - 35, outer_width - 84};
}

// The controls in the order the Tab key visits them.
constexpr std::array<int, 9> TabOrder() {
  std::array<const ControlDesign*, 9> stops{};
  std::size_t n = 0;
  for (const ControlDesign& c : kMainFormControls) {
    if (c.tab_order >= 0) stops[n++] = &c;
  }
  std::sort(stops.begin(), stops.end(), [](const ControlDesign* a, const ControlDesign* b) {
    return a->tab_order < b->tab_order;
  });
  std::array<int, 9> ids{};
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = stops[i]->id;
  return ids;
}

}  // namespace miwake
