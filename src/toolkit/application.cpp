#include "toolkit/application.h"

#include <objbase.h>

#include "toolkit/message_box.h"
#include "toolkit/exceptions.h"
#include "toolkit/form.h"
#include "toolkit/text.h"
#include "toolkit/window_trampoline.h"

TApplication* Application = nullptr;

namespace {
constexpr char kClassName[] = "TApplication";

// The thread's shown and enabled top-level windows but one (which the modal
// box disables and enables itself), disabled for this object's life.
class TThreadWindowsDisabled {
 public:
  explicit TThreadWindowsDisabled(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
    for (HWND window : windows_) EnableWindow(window, FALSE);
  }
  ~TThreadWindowsDisabled() {
    for (HWND window : windows_)
      if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  TThreadWindowsDisabled(const TThreadWindowsDisabled&) = delete;
  TThreadWindowsDisabled& operator=(const TThreadWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) {
    auto* me = reinterpret_cast<TThreadWindowsDisabled*>(self);
    if (window != me->except_ && IsWindowVisible(window) && IsWindowEnabled(window))
      me->windows_.push_back(window);
    return TRUE;
  }

  HWND except_;
  std::vector<HWND> windows_;
};

// The application window's failures go to that application object itself.
void ReportToApplication(TApplication& application, const std::exception& e) {
  application.HandleException(e);
}

}  // namespace

TApplication::TApplication() : TComponent(nullptr) {
  Application = this;
  SetUiExceptionHandler([](const std::exception& e) { Application->HandleException(e); });
  title_ = ApplicationTitle();
}

TApplication::~TApplication() {
  DestroyComponents();
  window_.reset();
  if (comInitialized_) CoUninitialize();
  if (Application == this) {
    SetUiExceptionHandler(nullptr);
    Application = nullptr;
  }
}

void TApplication::Initialize() {
  comInitialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls{};
  cls.lpfnWndProc = WindowTrampoline<TApplication, UserDataObject<TApplication>, &TApplication::WndProc,
                                     ReportToApplication>;
  cls.hInstance = instance;
  cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.lpszClassName = kClassName;
  RegisterClassA(&cls);
  // A zero-sized captioned popup: visible, it is nothing but a taskbar button.
  int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  // An ANSI window: the title as near as the code page comes.
  window_.reset(CreateWindowExA(0, kClassName, WideToAnsi(Utf8ToWide(title_)).c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                0, 0, nullptr, nullptr, instance, nullptr));
  SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TApplication::AfterFormCreated(TForm* form) { form->AfterConstruction(); }

void TApplication::Run() {
  // A shortcut set to run maximised asks for it through the start-up info:
  // the main form then shows maximised whatever state it was made in.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  if (mainForm_ != nullptr && (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 &&
      startup.wShowWindow == SW_SHOWMAXIMIZED)
    mainForm_->SetWindowState(TWindowState::wsMaximized);
  // Told to end before the loop began (a modal loop may have taken the quit
  // request itself): nothing is shown.
  if (terminateRequested_) {
    terminated_ = true;
    return;
  }
  if (mainForm_ != nullptr && ShowMainForm) {
    if (mainForm_->WindowState() == TWindowState::wsMinimized)
      Minimize();
    else
      mainForm_->Show();
  }
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      terminated_ = true;
      break;
    }
    ProcessMessage(msg);
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  // The application window takes the foreground for every form, and a
  // minimised one takes no focus: keys that reach it belong to the form in use.
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd == window_.get() &&
      focusedForm_ != nullptr && focusedForm_->Visible())
    msg.hwnd = focusedForm_->Handle();
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
}

void TApplication::Minimize() {
  if (IsIconic(window_.get())) return;
  SetActiveWindow(window_.get());
  ShowWindow(window_.get(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (!IsIconic(window_.get())) return;
  SetActiveWindow(window_.get());
  ShowWindow(window_.get(), SW_RESTORE);
  if (mainForm_ != nullptr && mainForm_->Visible()) SetForegroundWindow(mainForm_->Handle());
}

void TApplication::Terminate() {
  // The loop ends when it reaches the quit request; until then the
  // application is not yet terminating.
  terminateRequested_ = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(const std::exception& e) {
  const auto* ours = dynamic_cast<const Exception*>(&e);
  // Owned by the window in use (the overlay, say), the box shows above it;
  // and no window of ours takes clicks while it is up, or a click on the
  // overlay behind it would start another grab, and another box.
  HWND active = GetActiveWindow();
  HWND owner = active != nullptr && IsWindowVisible(active)   ? active
               : mainForm_ != nullptr && mainForm_->Visible() ? mainForm_->Handle()
                                                              : window_.get();
  TThreadWindowsDisabled others(owner);
  ShowErrorBox(owner, ours != nullptr ? ours->Message() : e.what());
}

TApplication::HookId TApplication::HookMainWindow(Hook hook) {
  hooks_.emplace_back(nextHookId_, std::move(hook));
  return nextHookId_++;
}

void TApplication::UnhookMainWindow(HookId id) {
  for (auto it = hooks_.begin(); it != hooks_.end(); ++it) {
    if (it->first == id) {
      hooks_.erase(it);
      return;
    }
  }
}

void TApplication::FormGone(TForm* form) {
  if (focusedForm_ == form) focusedForm_ = nullptr;
  if (mainForm_ == form) mainForm_ = nullptr;
}

LRESULT TApplication::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  // A hook may remove itself (or others) while it runs: walk a copy.
  auto hooks = hooks_;
  for (auto& [id, hook] : hooks)
    if (hook(m)) return m.Result;

  HWND self = window_.get();
  switch (message) {
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return 0;
        case SC_RESTORE:
          Restore();
          return 0;
      }
      break;
    case WM_CLOSE:
      if (mainForm_ != nullptr) mainForm_->Close();
      return 0;
    case WM_QUERYENDSESSION:
      return 1;
  }
  return DefWindowProcA(self, message, wParam, lParam);
}
