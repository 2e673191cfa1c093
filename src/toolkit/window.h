// The base of every window of the program: the window procedure that finds
// its object, the guard that shows an escaping error in the application
// error box, and the focus kept while the window is inactive (window.cpp);
// the controls made from the window's table (window_controls.cpp); Tab, Enter
// and Alt+mnemonic as dialogs have them (dialog_keys.cpp); the buttons drawn
// by the window (owner_draw.h).
#pragma once

#include <windows.h>

#include <exception>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/gdi_handle_win32.h"
#include "common/message_box.h"
#include "toolkit/owner_draw.h"

namespace miwake {

enum class ControlKind {
  kLabel,
  kEdit,
  kReadOnlyEdit,
  kButton,
  kStatusBar,
  kDefaultButton,  // a push button that Enter presses wherever the focus is
  kDropDownList,   // owner-drawn, driven by the window's CustomControl
  kOwnerDrawList,  // owner-drawn, driven by the window's CustomControl
  kPanel,          // a frame lowered outside and raised inside
  kPicture,        // an icon at its natural size in the top-left corner
};

// kA: "System" 13 px in black; kAWindowText: the same in the window-text
// colour; kForm: the window's own font; kPlatform: the control's default.
enum class FontChoice { kA, kAWindowText, kForm, kPlatform };

struct ControlRow {
  const char* name;
  ControlKind kind;
  int id;
  int left, top, width, height;
  const char* caption;
  FontChoice font;
  int tab_order;               // -1: not a tab stop
  const char* hint = nullptr;  // for the status bar while the mouse is over it
  int menu_id = 0;             // the menu item that does what the control does
  // A resource: a picture's icon, or a button's bitmap of square glyphs side
  // by side, the second one for the disabled button.
  const char* picture = nullptr;
  int inside = 0;  // the panel whose top-left corner the position counts from
};

struct FontSpec {
  const char* face;
  int height;  // character height in pixels
};

struct WindowDesign {
  const char* class_name;
  const char* caption;
  DWORD style;
  int left, top, width, height;  // outer, in screen pixels
  int icon_id;                   // 0: none
  int menu_id;                   // 0: none
  FontSpec form_font;
  std::span<const ControlRow> controls;
  DWORD ex_style = 0;
  bool client_size = false;    // width and height are the client area's
  bool lazy_controls = false;  // the controls are made at the first showing
};

// A control that the window draws or drives through its own object.
class CustomControl {
 public:
  virtual ~CustomControl() = default;
  virtual void Draw(const DRAWITEMSTRUCT& /*item*/) {}
  // A notification other than a click (CBN_..., LBN_...).
  virtual void Notify(int /*code*/) {}
  // True when the key was used.
  virtual bool KeyDown(WPARAM /*key*/) { return false; }
};

std::string WindowText(HWND window);

// A derived class destroys its window in its own destructor when it handles
// WM_DESTROY: by the base's destructor its handlers are gone.
class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }

  // Keyboard handling for the message loop: Tab and Shift+Tab move through
  // the controls in the table's tab order; Enter presses the focused button,
  // else the default one; Alt and a button's mnemonic press that button.
  // True when the message was used.
  bool PreTranslateMessage(const MSG& msg);

  // Shows the window, running OnShow when it was hidden, and brings it to
  // the front.
  void ShowFront();

 protected:
  Window(const WindowDesign& design, AppMessageBox& boxes);

  // Makes the window, hidden. False when it could not be made; the reason
  // has been shown in the application error box.
  bool CreateHidden(HINSTANCE instance, HWND owner = nullptr);

  // Once the controls exist: within the window's creation, or at the first
  // showing when they are made then.
  virtual void OnCreate() {}
  // Before the hidden window becomes visible; an error is shown and the
  // window still opens.
  virtual void OnShow() {}
  virtual CustomControl* CustomOf(int /*id*/) { return nullptr; }
  // A click on a button or a menu item.
  virtual void OnCommand(int /*id*/) {}
  virtual void OnControlMouseMove(const ControlRow& /*row*/) {}
  // Every message the base leaves alone.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam);

  LRESULT DefaultHandling(UINT msg, WPARAM wparam, LPARAM lparam) {
    return ::DefWindowProcA(hwnd_, msg, wparam, lparam);
  }
  void ShowError(const std::exception& error);
  AppMessageBox& Boxes() { return boxes_; }
  const ControlRow* RowOf(int id) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);
  LRESULT Dispatch(UINT msg, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void MakeControl(const ControlRow& row, HINSTANCE instance);
  void RestoreFocus();
  bool MoveByTab();
  bool PressEnter();
  bool PressMnemonic(char key);
  void Click(int id);
  HBITMAP GlyphOf(int id) const;
  HFONT FontOf(const ControlRow& row) const;
  COLORREF TextColourOf(const ControlRow& row) const;

  const WindowDesign& design_;
  AppMessageBox& boxes_;
  HWND hwnd_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus last
  FontHandle form_font_;
  FontHandle font_a_;
  bool controls_made_ = false;
  std::vector<std::pair<int, BitmapHandle>> glyphs_;
};

}  // namespace miwake
