#include "app/main_form.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <stdexcept>
#include <vector>

#include "actions/identify_command.h"
#include "app/main_form_layout.h"
#include "app/resource_ids.h"
#include "common/io_error_text.h"
#include "common/text.h"

namespace miwake {
namespace {

constexpr const char* kClassName = "Tmainform";

class Win32OpenFileDialog final : public OpenFileDialog {
 public:
  void SetInitialFolder(const std::string& folder) override { initial_folder_ = folder; }
  std::optional<std::string> Run(HWND owner) override {
    std::array<char, 260> file{};
    last_name_.copy(file.data(), file.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "すべてのファイル\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initial_folder_.empty() ? nullptr : initial_folder_.c_str();
    ofn.Flags = OFN_HIDEREADONLY;
    if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
    last_name_ = file.data();
    return last_name_;
  }

 private:
  std::string initial_folder_;
  std::string last_name_;
};

std::string ExecutableFolder() {
  std::array<char, 261> path{};
  const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  const std::string_view full(path.data(), length);
  return std::string(full.substr(0, LastDelimiterEnd(full, "\\:", nullptr)));
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

FontHandle MakeFont(int height, const char* face) {
  return FontHandle(::CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(instance, kClassName, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  wc.hIcon = static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_FORMICON), IMAGE_ICON, 16, 16, LR_SHARED));
  wc.hIconSm = wc.hIcon;
  ::RegisterClassExA(&wc);
}

}  // namespace

class Tmainform::EditResult final : public ResultField {
 public:
  explicit EditResult(HWND edit) : edit_(edit) {}
  void SetText(const std::string& text) override { ::SetWindowTextA(edit_, text.c_str()); }

 private:
  HWND edit_;
};

Tmainform::Tmainform(Passkey, MainFormPorts ports)
    : ports_(std::move(ports)), files_(MakePlatformFileSystem()) {
  if (ports_.open_dialog == nullptr) {
    own_dialog_ = std::make_unique<Win32OpenFileDialog>();
    ports_.open_dialog = own_dialog_.get();
  }
  if (!ports_.open_document) {
    ports_.open_document = [](const std::string& file) {
      ::ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOW);
    };
  }
}

std::unique_ptr<Tmainform> Tmainform::Create(HINSTANCE instance, MainFormPorts ports) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  RegisterWindowClass(instance, WindowProc);
  auto form = std::make_unique<Tmainform>(Passkey{}, std::move(ports));
  const HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(IDM_MAINMENU));
  ::CreateWindowExA(0, kClassName, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kDesignLeft,
                    kDesignTop, kDesignWidth, kDesignHeight, nullptr, menu, instance, form.get());
  if (form->hwnd_ == nullptr) return nullptr;
  return form;
}

Tmainform::~Tmainform() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK Tmainform::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<Tmainform*>(reinterpret_cast<const CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    self->own_boxes_.set_owner(hwnd);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Tmainform*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(hwnd, msg, wparam, lparam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcA(hwnd, msg, wparam, lparam);
  }
  // No exception may cross into the system's code: each ends its handler
  // and is shown, and the program goes on.
  try {
    return self->Dispatch(msg, wparam, lparam);
  } catch (const std::exception& error) {
    self->ShowError(error);
    return 0;
  }
}

LRESULT CALLBACK Tmainform::ButtonProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR self) {
  if (msg == WM_MOUSEMOVE) {
    auto* form = reinterpret_cast<Tmainform*>(self);
    try {
      form->OnButtonMouseMove(static_cast<int>(id));
    } catch (const std::exception& error) {
      form->ShowError(error);
    }
  } else if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, ButtonProc, id);
  }
  return ::DefSubclassProc(hwnd, msg, wparam, lparam);
}

LRESULT Tmainform::Dispatch(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      FormCreate();
      return 0;
    case WM_DESTROY:
      // The quit must follow the error box, whose loop would end at once on it.
      try {
        FormDestroy();
      } catch (const std::exception& error) {
        ShowError(error);
      }
      if (ports_.ends_program) ::PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (HWND status = Control(kStatusBar1)) ::SendMessageA(status, WM_SIZE, 0, 0);
      FormResize();
      return 0;
    case WM_GETMINMAXINFO: {
      const LRESULT result = ::DefWindowProcA(hwnd_, msg, wparam, lparam);
      WMGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lparam));
      return result;
    }
    case WM_MOUSEMOVE:
      FormMouseMove();
      return 0;
    case WM_COMMAND:
      if (lparam == 0 || HIWORD(wparam) == BN_CLICKED) OnCommand(LOWORD(wparam));
      return 0;
    case WM_CTLCOLORSTATIC:
      // The read-only result field keeps the white of an editable one.
      if (reinterpret_cast<HWND>(lparam) == Control(kEdit2)) {
        ::SetBkColor(reinterpret_cast<HDC>(wparam), ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, msg, wparam, lparam);
}

void Tmainform::OnCommand(int id) {
  switch (id) {
    case kButton1:
      return Button1Click();
    case kButton2:
      return Button2Click();
    case kButton3:
      return Button3Click();
    case kButton4:
      return Button4Click();
    case kButton5:
      return Button5Click();
    case kButton6:
      return Button6Click();
    case kButton7:
      return Button7Click();
    case IDM_KN1:
      return KN1Click();
    case IDM_K2:
      return K2Click();
    case IDM_K3:
      return K3Click();
    case IDM_DELETE1:
      return Delete1Click();
    case IDM_P2:
      return P2Click();
    case IDM_N3:
      return N3Click();
    case IDM_EXIT1:
      return Exit1Click();
    case IDM_K1:
      return K1Click();
    case IDM_KH2:
      return KH2Click();
    case IDM_KA1:
      return KA1Click();
    default:
      return;
  }
}

void Tmainform::OnButtonMouseMove(int id) {
  switch (id) {
    case kButton1:
      return Button1MouseMove();
    case kButton2:
      return Button2MouseMove();
    case kButton3:
      return Button3MouseMove();
    case kButton4:
      return Button4MouseMove();
    case kButton5:
      return Button5MouseMove();
    case kButton6:
      return Button6MouseMove();
    case kButton7:
      return Button7MouseMove();
    default:
      return;
  }
}

void Tmainform::CreateControls() {
  form_font_ = MakeFont(12, "ＭＳ Ｐゴシック");
  font_a_ = MakeFont(13, "System");
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  // Creation in tab order makes the z-order follow it too.
  std::vector<const ControlDesign*> designs;
  for (const int id : TabOrder()) {
    for (const ControlDesign& c : kMainFormControls) {
      if (c.id == id) designs.push_back(&c);
    }
  }
  for (const ControlDesign& c : kMainFormControls) {
    if (c.tab_order < 0) designs.push_back(&c);
  }
  for (const ControlDesign* c : designs) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    const char* window_class = "BUTTON";
    switch (c->kind) {
      case ControlKind::kLabel:
        // SS_NOTIFY: a label takes the mouse itself, so moving over it
        // leaves the hint as it is.
        window_class = "STATIC";
        style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
        break;
      case ControlKind::kEdit:
      case ControlKind::kReadOnlyEdit:
        window_class = "EDIT";
        ex_style = WS_EX_CLIENTEDGE;
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        if (c->kind == ControlKind::kReadOnlyEdit) style |= ES_READONLY;
        break;
      case ControlKind::kButton:
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::kStatusBar:
        window_class = STATUSCLASSNAMEA;
        style |= SBARS_SIZEGRIP;
        break;
    }
    const HWND control = ::CreateWindowExA(
        ex_style, window_class, c->caption, style, c->left, c->top, c->width, c->height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c->id)), instance, nullptr);
    if (control == nullptr) throw std::runtime_error("cannot create " + std::string(c->name));
    HFONT font = nullptr;
    if (c->font == FontChoice::kA || c->font == FontChoice::kAWindowText) font = font_a_.get();
    if (c->font == FontChoice::kForm) font = form_font_.get();
    if (font != nullptr) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (c->kind == ControlKind::kButton) {
      ::SetWindowSubclass(control, ButtonProc, static_cast<UINT_PTR>(c->id),
                          reinterpret_cast<DWORD_PTR>(this));
    }
    if (c->kind == ControlKind::kStatusBar) ::SendMessageA(control, SB_SIMPLE, TRUE, 0);
  }
  result_ = std::make_unique<EditResult>(Control(kEdit2));
}

bool Tmainform::PreTranslateMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
  constexpr auto kOrder = TabOrder();
  const int count = static_cast<int>(kOrder.size());
  const int step = ::GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
  const HWND focus = ::GetFocus();
  int at = step == 1 ? count - 1 : 0;
  for (int i = 0; i < count; ++i) {
    if (Control(kOrder[i]) == focus) at = i;
  }
  for (int n = 1; n <= count; ++n) {
    const HWND next = Control(kOrder[(at + n * step) % count]);
    if (::IsWindowVisible(next) && ::IsWindowEnabled(next)) {
      ::SetFocus(next);
      // As dialogs do: a field reached by Tab has its text selected.
      if (::SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        ::SendMessageA(next, EM_SETSEL, 0, -1);
      }
      break;
    }
  }
  return true;
}

void Tmainform::ShowError(const std::exception& error) {
  Boxes().Show(WithFullStop(error.what()), kAppTitle, kMbIconStop);
}

void Tmainform::SetHint(const std::string& text) {
  if (text == hint_) return;
  hint_ = text;
  ++hint_sends_;
  ::SendMessageA(Control(kStatusBar1), SB_SETTEXTA, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(hint_.c_str()));
}

std::string Tmainform::Edit1Text() const {
  return WindowText(Control(kEdit1));
}

WindowPosition Tmainform::CurrentPosition() const {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return {r.top, r.left};
}

void Tmainform::FormCreate() {
  ForgetLastFile();
  app_dir_ = ports_.app_dir.empty() ? ExecutableFolder() : ports_.app_dir;
  const WindowPosition at =
      TakeSettingsAtStart(app_dir_, LocaleVersionText(), CurrentPosition(), store_, disk_);
  const WindowPosition now = CurrentPosition();
  constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  ::SetWindowPos(hwnd_, nullptr, now.left, at.top, 0, 0, kMoveOnly);
  ::SetWindowPos(hwnd_, nullptr, at.left, at.top, 0, 0, kMoveOnly);
}

void Tmainform::FormDestroy() {
  WindowPosition at = CurrentPosition();
  if (::IsIconic(hwnd_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hwnd_, &placement);
    // The restore place is in work-area coordinates.
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    at = {placement.rcNormalPosition.top + work.top, placement.rcNormalPosition.left + work.left};
  }
  SavePosition(app_dir_, at, store_);
}

void Tmainform::FormResize() {
  if (Control(kEdit1) == nullptr) return;
  RECT outer{};
  ::GetWindowRect(hwnd_, &outer);
  const ResizedLayout layout = LayoutForWidth(outer.right - outer.left);
  auto resize = [this](int id, std::optional<int> left, std::optional<int> width) {
    const HWND control = Control(id);
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
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
  if (auto folder = BrowseStartFolder(app_dir_, store_, disk_)) {
    ports_.open_dialog->SetInitialFolder(*folder);
  }
  ::SetWindowTextA(Control(kEdit2), "");
  if (auto name = ports_.open_dialog->Run(hwnd_)) ::SetWindowTextA(Control(kEdit1), name->c_str());
}

void Tmainform::Button2Click() {
  const ClassifierPorts classifier{*files_, cursor_, refiner_};
  IdentifyCommand(Edit1Text(), CommandPorts{classifier, Boxes(), *result_});
}

// The commands of the buttons below land with their own changes.
void Tmainform::Button3Click() {}
void Tmainform::Button4Click() {}
void Tmainform::Button6Click() {}
void Tmainform::Button7Click() {}
void Tmainform::K1Click() {}
void Tmainform::KA1Click() {}

void Tmainform::Button5Click() {
  ::PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void Tmainform::KH2Click() {
  ports_.open_document(app_dir_ + "Fmiwaker.hlp");
}

void Tmainform::Button1MouseMove() {
  SetHint("マウスでファイル名を入力できます。");
}
void Tmainform::Button2MouseMove() {
  SetHint("ファイルの内容を判別します。");
}
void Tmainform::Button3MouseMove() {
  SetHint("拡張子を変更します。");
}
void Tmainform::Button4MouseMove() {
  SetHint("ファイルを削除します。");
}
void Tmainform::Button5MouseMove() {
  SetHint("ミワケールを終了します。");
}
void Tmainform::Button6MouseMove() {
  SetHint("アプリケーションを起動します。");
}
void Tmainform::Button7MouseMove() {
  SetHint("拡張子を変更して、アプリケーションを起動します。");
}

int MainWindowShowCommand(int started_with) {
  if (started_with == SW_SHOWMAXIMIZED || started_with == SW_SHOWMINNOACTIVE) return started_with;
  return SW_SHOWNORMAL;
}

}  // namespace miwake
