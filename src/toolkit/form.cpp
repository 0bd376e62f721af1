#include "toolkit/form.h"

#include "toolkit/application.h"
#include "toolkit/window_trampoline.h"

TForm::TForm(TComponent* owner) : TComponent(owner) {}

TForm::~TForm() {
  DestroyComponents();
  if (Application != nullptr) Application->FormGone(this);
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

void TForm::CreateParams(TCreateParams&) {}

HWND TForm::Handle() {
  if (window_) return window_.get();
  TCreateParams params;
  CreateParams(params);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const std::string& className = params.WindowClassName;
  WNDCLASSA cls{};
  if (!GetClassInfoA(instance, className.c_str(), &cls)) {
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = WindowTrampoline<TForm, &TForm::FromWindow, &TForm::WndProc>;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = className.c_str();
    RegisterClassA(&cls);
  }
  HWND owner = Application != nullptr ? Application->Handle() : nullptr;
  HWND window =
      CreateWindowExA(params.ExStyle, className.c_str(), params.Caption.c_str(), params.Style, params.X,
                      params.Y, params.Width, params.Height, owner, nullptr, instance, this);
  window_.reset(window);
  if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return window;
}

void TForm::AfterConstruction() {
  LoadedComponents();
  try {
    FormCreate();
  } catch (const std::exception& e) {
    HandleUiException(e);
  }
}

void TForm::Show() {
  int command = SW_SHOW;
  if (windowState_ == TWindowState::wsMinimized) command = SW_SHOWMINIMIZED;
  if (windowState_ == TWindowState::wsMaximized) command = SW_SHOWMAXIMIZED;
  ShowWindow(Handle(), command);
}

void TForm::Hide() {
  if (window_) ShowWindow(window_.get(), SW_HIDE);
  if (Application != nullptr && Application->FocusedForm() == this) Application->SetFocusedForm(nullptr);
}

bool TForm::Visible() const { return window_ && IsWindowVisible(window_.get()); }

void TForm::Close() {
  bool isMain = Application != nullptr && Application->MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
  FormClose(action);
  switch (action) {
    case TCloseAction::caHide:
      Hide();
      break;
    case TCloseAction::caMinimize:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case TCloseAction::caFree:
      if (isMain)
        Application->Terminate();
      else
        Hide();
      break;
    case TCloseAction::caNone:
      break;
  }
}

LRESULT TForm::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window_.get(), message, wParam, lParam);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && Application != nullptr && Application->FocusedForm() != this) {
        Application->SetFocusedForm(this);
        FormActivate();
      }
      break;
    case WM_SYSCOMMAND:
      // Minimising the main form minimises the whole application.
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Application != nullptr && Application->MainForm() == this) {
        Application->Minimize();
        return 0;
      }
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) windowState_ = TWindowState::wsMinimized;
      if (wParam == SIZE_MAXIMIZED) windowState_ = TWindowState::wsMaximized;
      if (wParam == SIZE_RESTORED) windowState_ = TWindowState::wsNormal;
      break;
  }
  return DefaultHandler(message, wParam, lParam);
}

TForm* TForm::FromWindow(HWND window) {
  auto* form = UserDataObject<TForm>(window);
  return form != nullptr && form->window_.get() == window ? form : nullptr;
}
