#include "fmiwaker/main_form.h"

#include <commctrl.h>

#include <array>
#include <optional>

#include "actions/file_commands.h"
#include "actions/identify_command.h"
#include "actions/launch_commands.h"
#include "common/text.h"
#include "common/win32_handle.h"
#include "fmiwaker/main_form_layout.h"
#include "settings/settings_win32.h"

namespace miwake {
namespace {

std::string ExecutableFolder() {
  std::array<char, 261> path{};
  const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  const std::string_view full(path.data(), length);
  return std::string(full.substr(0, LastDelimiterEnd(full, "\\:", nullptr)));
}

struct DropTraits {
  using Handle = HDROP;
  static Handle Invalid() { return nullptr; }
  static bool Release(Handle h) {
    ::DragFinish(h);
    return true;
  }
};
using DropHandle = UniqueHandle<DropTraits>;

struct CommandRow {
  int id;
  void (Tmainform::*handler)();
};

// A menu item paired with a control in the control table arrives here as the
// control's id.
constexpr CommandRow kCommands[] = {
    {kButton1, &Tmainform::Button1Click}, {kButton2, &Tmainform::Button2Click},
    {kButton3, &Tmainform::Button3Click}, {kButton4, &Tmainform::Button4Click},
    {kButton5, &Tmainform::Button5Click}, {kButton6, &Tmainform::Button6Click},
    {kButton7, &Tmainform::Button7Click}, {IDM_K1, &Tmainform::K1Click},
    {IDM_KH2, &Tmainform::KH2Click},      {IDM_KA1, &Tmainform::KA1Click},
};

}  // namespace

class Tmainform::EditResult final : public ResultField {
 public:
  explicit EditResult(HWND edit) : edit_(edit) {}
  void SetText(const std::string& text) override { ::SetWindowTextA(edit_, text.c_str()); }
  void Repaint() override {
    ::RedrawWindow(edit_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }

 private:
  HWND edit_;
};

Tmainform::Tmainform(Passkey, const AppPorts& ports, MainFormOptions options)
    : Window(kMainFormDesign, ports.boxes), ports_(ports), options_(std::move(options)) {}

// Destroyed here, not in the base, so that its destruction still runs this
// class's handlers.
Tmainform::~Tmainform() {
  if (hwnd() != nullptr) ::DestroyWindow(hwnd());
}

std::unique_ptr<Tmainform> Tmainform::Create(HINSTANCE instance, const AppPorts& ports,
                                             MainFormOptions options) {
  auto form = std::make_unique<Tmainform>(Passkey{}, ports, std::move(options));
  if (!form->CreateHidden(instance)) return nullptr;
  return form;
}

LRESULT Tmainform::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_DESTROY:
      // The quit must follow the error box, whose loop would end at once on it.
      try {
        FormDestroy();
      } catch (const std::exception& error) {
        ShowError(error);
      }
      if (options_.ends_program) ::PostQuitMessage(0);
      return 0;
    case WM_ENDSESSION:
      // Windows may end the process without destroying the window.
      if (wparam != FALSE) SavePositionNow();
      return 0;
    case WM_SIZE:
      if (HWND status = Control(kStatusBar1)) ::SendMessageA(status, WM_SIZE, 0, 0);
      FormResize();
      return 0;
    case WM_GETMINMAXINFO: {
      const LRESULT result = DefaultHandling(msg, wparam, lparam);
      WMGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lparam));
      return result;
    }
    case WM_MOUSEMOVE:
      FormMouseMove();
      return 0;
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    default:
      return DefaultHandling(msg, wparam, lparam);
  }
}

void Tmainform::OnCommand(int id) {
  for (const ControlRow& row : kMainFormControls)
    if (row.menu_id == id) id = row.id;
  for (const CommandRow& command : kCommands)
    if (command.id == id) return (this->*command.handler)();
}

void Tmainform::OnControlMouseMove(const ControlRow& row) {
  if (row.hint != nullptr) SetHint(row.hint);
}

CommandPorts Tmainform::Commands() {
  return {ports_.identifier, ports_.files,        ports_.boxes,
          *result_,          ports_.associations, ports_.starter};
}

void Tmainform::SetHint(const std::string& text) {
  // Mouse moves come continuously; only a change is sent to the bar.
  if (text == hint_) return;
  hint_ = text;
  ::SendMessageA(Control(kStatusBar1), SB_SETTEXTA, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(hint_.c_str()));
}

std::string Tmainform::Edit1Text() const {
  return WindowText(Control(kEdit1));
}

WindowPosition Tmainform::CurrentPosition() const {
  RECT r{};
  ::GetWindowRect(hwnd(), &r);
  return {r.top, r.left};
}

void Tmainform::FormCreate() {
  result_ = std::make_unique<EditResult>(Control(kEdit2));
  ports_.identifier.ForgetLastFile();
  app_dir_ = options_.app_dir.empty() ? ExecutableFolder() : options_.app_dir;
  const WindowPosition at = TakeSettingsAtStart(app_dir_, LocaleVersionText(), CurrentPosition(),
                                                ports_.profiles, ports_.files);
  const WindowPosition now = CurrentPosition();
  constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  ::SetWindowPos(hwnd(), nullptr, now.left, at.top, 0, 0, kMoveOnly);
  ::SetWindowPos(hwnd(), nullptr, at.left, at.top, 0, 0, kMoveOnly);
  ::DragAcceptFiles(hwnd(), TRUE);
}

void Tmainform::WMDropFiles(HDROP drop) {
  const DropHandle owned(drop);
  const UINT length = ::DragQueryFileA(drop, 0, nullptr, 0);
  std::string name(length + 1, '\0');
  name.resize(::DragQueryFileA(drop, 0, name.data(), length + 1));
  TakeFileName(name);
}

void Tmainform::TakeFileName(const std::string& name) {
  if (!name.empty()) ::SetWindowTextA(Control(kEdit1), name.c_str());
}

void Tmainform::FormDestroy() {
  SavePositionNow();
}

void Tmainform::SavePositionNow() {
  WindowPosition at = CurrentPosition();
  if (::IsIconic(hwnd())) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hwnd(), &placement);
    // The restore place is in work-area coordinates.
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    at = {placement.rcNormalPosition.top + work.top, placement.rcNormalPosition.left + work.left};
  }
  SavePosition(app_dir_, at, ports_.profiles);
}

void Tmainform::FormResize() {
  if (Control(kEdit1) == nullptr) return;
  RECT outer{};
  ::GetWindowRect(hwnd(), &outer);
  const ResizedLayout layout = LayoutForWidth(outer.right - outer.left);
  auto resize = [this](int id, std::optional<int> left, std::optional<int> width) {
    const HWND control = Control(id);
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(control, nullptr, left.value_or(r.left), r.top, width.value_or(r.right - r.left),
                   r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  resize(kEdit1, std::nullopt, layout.edit1_width);
  resize(kEdit2, std::nullopt, layout.edit2_width);
  resize(kButton1, layout.button1_left, std::nullopt);
}

void Tmainform::WMGetMinMaxInfo(MINMAXINFO& info) {
  info.ptMinTrackSize.x = kDesignWidth;
  info.ptMinTrackSize.y = kDesignHeight;
  info.ptMaxTrackSize.y = kDesignHeight;
}

void Tmainform::FormMouseMove() {
  SetHint("");
}

void Tmainform::Button1Click() {
  BrowseForFile();
}

void Tmainform::BrowseForFile() {
  if (auto folder = BrowseStartFolder(app_dir_, ports_.profiles, ports_.files))
    ports_.open_dialog.SetInitialFolder(*folder);
  result_->SetText("");
  if (auto name = ports_.open_dialog.Run(hwnd())) ::SetWindowTextA(Control(kEdit1), name->c_str());
}

void Tmainform::Button2Click() {
  IdentifyCommand(Edit1Text(), Commands());
}

void Tmainform::Button3Click() {
  ChangeExtCommand(Edit1Text(), Commands());
}

void Tmainform::Button4Click() {
  DeleteCommand(Edit1Text(), Commands());
}

void Tmainform::Button6Click() {
  LaunchCommand(Edit1Text(), Commands());
}

void Tmainform::Button7Click() {
  ChangeAndLaunchCommand(Edit1Text(), Commands());
}

void Tmainform::K1Click() {
  if (setdirform_ != nullptr) setdirform_->ShowFront();
}

void Tmainform::KA1Click() {
  if (about_box_ != nullptr) about_box_->ShowFront();
}

void Tmainform::Button5Click() {
  ::PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void Tmainform::KH2Click() {
  HelpCommand(app_dir_, Commands());
}

int MainWindowShowCommand(int started_with) {
  if (started_with == SW_SHOWMAXIMIZED || started_with == SW_SHOWMINNOACTIVE) return started_with;
  return SW_SHOWNORMAL;
}

}  // namespace miwake
