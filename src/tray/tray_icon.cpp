#include "tray/tray_icon.h"

#include <algorithm>

#include "tray/record_text.h"
#include "toolkit/popup_menu.h"
#include "tray/simple_timer.h"
#include "tray/tray_icon_handler.h"
#include "toolkit/window_trampoline.h"

namespace {

constexpr char kOwnerProp[] = "PslTrayIconOwner";
constexpr UINT kTooltipChars = 127;

TTrayIcon::ShellNotifyCall& ShellCall() {
  static TTrayIcon::ShellNotifyCall call = [](DWORD message, NOTIFYICONDATAW* record) {
    return Shell_NotifyIconW(message, record);
  };
  return call;
}

}  // namespace

void TTrayIcon::SetShellNotifyCall(ShellNotifyCall call) { ShellCall() = std::move(call); }

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {
  TTrayIconHandler::AddRef();
  Enabled = true;
  showHint_ = true;
  icon_.OnChange = [this] { UpdateInTray(); };
  {
    std::lock_guard lock(recordLock_);
    record_ = NOTIFYICONDATAW{};
    record_.cbSize = kNotifyIconRecordSize;
    record_.hWnd = TTrayIconHandler::Window();
    record_.uID = TTrayIconHandler::Register(this);
    record_.uFlags = kTrayFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
  }
  cycleTimer_ = std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer* t) { CycleTick(t); });
  clickTimer_ = std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer* t) { ClickTick(t); });
  exitTimer_ = std::make_unique<TSimpleTimer>(20, [this](TSimpleTimer* t) { ExitTick(t); });
  pointerOutside_ = true;
  if (Application != nullptr)
    hookId_ = Application->HookMainWindow([this](TMessage& m) { return ApplicationHook(m); });
  if (TForm* form = OwnerForm()) {
    ownerWindow_ = form->Handle();
    ownerSubclass_ = ScopedWindowSubclass(
        ownerWindow_, WindowTrampoline<TTrayIcon, &TTrayIcon::FromOwnerWindow, &TTrayIcon::OwnerWindowProc>,
        kOwnerProp, this);
  }
}

TTrayIcon::~TTrayIcon() {
  // Callbacks that arrive while the component goes find nothing; the record
  // keeps the number for the removal.
  TTrayIconHandler::Forget(record_.uID);
  RemoveFromTray();
  // The timers go first, while everything their ticks use is still whole.
  cycleTimer_.reset();
  clickTimer_.reset();
  exitTimer_.reset();
  icon_.OnChange = nullptr;
  icon_.SetHandle(nullptr);
  if (Application != nullptr && hookId_ != 0) Application->UnhookMainWindow(hookId_);
  ownerSubclass_.reset();
  ownerWindow_ = nullptr;
  TTrayIconHandler::Release();
}

TForm* TTrayIcon::OwnerForm() const { return dynamic_cast<TForm*>(Owner()); }

void TTrayIcon::PrepareRecord() {
  record_.hIcon = icon_.Handle();
  if (!hint_.empty() && showHint_)
    CopyCut(record_.szTip, hint_, kTooltipChars);
  else
    std::fill(std::begin(record_.szTip), std::end(record_.szTip), L'\0');
}

bool TTrayIcon::Notify(DWORD message) {
  std::lock_guard lock(recordLock_);
  PrepareRecord();
  return ShellCall()(message, &record_) != FALSE;
}

bool TTrayIcon::AddToTray() {
  std::lock_guard lock(recordLock_);
  iconVisible_ = true;
  return Notify(NIM_ADD);
}

bool TTrayIcon::RemoveFromTray() {
  std::lock_guard lock(recordLock_);
  iconVisible_ = false;
  return Notify(NIM_DELETE);
}

bool TTrayIcon::UpdateInTray() { return Notify(NIM_MODIFY); }

NOTIFYICONDATAW TTrayIcon::RecordSnapshot() {
  std::lock_guard lock(recordLock_);
  return record_;
}

void TTrayIcon::SetHint(const std::string& hint) {
  hint_ = hint;
  UpdateInTray();
}

void TTrayIcon::SetShowHint(bool value) {
  showHint_ = value;
  UpdateInTray();
}

void TTrayIcon::SetIconVisible(bool value) {
  if (value)
    AddToTray();
  else
    RemoveFromTray();
}

void TTrayIcon::SetIconList(TImageList* list) {
  iconList_ = list;
  SetIconIndex(0);
}

void TTrayIcon::SetIconIndex(int index) {
  if (iconList_ != nullptr) {
    iconIndex_ = std::min(index, iconList_->Count() - 1);
    iconList_->GetIcon(iconIndex_, icon_);
  } else {
    iconIndex_ = 0;
  }
  UpdateInTray();
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (TForm* form = OwnerForm(); form != nullptr && !DesignPreview) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(this, showMainForm);
    if (!showMainForm && Application != nullptr) {
      Application->ShowMainForm = false;
      HideMainWindow();
    }
  }
  UpdateInTray();
  SetIconVisible(iconVisible_);
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExitEvents_);
  std::lock_guard lock(recordLock_);
  record_.uVersion = 0;
  ShellCall()(NIM_SETVERSION, &record_);
}

void TTrayIcon::Notification(TComponent* component, bool removing) {
  TComponent::Notification(component, removing);
  if (!removing) return;
  if (static_cast<TComponent*>(PopupMenu) == component) PopupMenu = nullptr;
}

void TTrayIcon::HideMainWindow() {
  if (OwnerForm() == nullptr || Application == nullptr || Application->MainForm() == nullptr) return;
  Application->MainForm()->Hide();
  HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
  if (Application == nullptr) return;
  if (IsWindowVisible(Application->Handle())) ShowWindow(Application->Handle(), SW_HIDE);
}

void TTrayIcon::SendToTray() {
  HideMainWindow();
  AddToTray();
}

bool TTrayIcon::ApplicationHook(TMessage& message) {
  if (message.Msg == WM_SIZE && message.WParam == SIZE_MINIMIZED) {
    if (MinimizeToTray) SendToTray();
  } else if (message.Msg == WM_SYSCOMMAND && message.WParam == SC_RESTORE) {
    if (TForm* main = Application->MainForm()) {
      if (main->WindowState() == TWindowState::wsMinimized) ShowWindow(main->Handle(), SW_RESTORE);
      ShowWindow(main->Handle(), SW_SHOW);
    }
  } else if (WM_TASKBARCREATED != 0 && message.Msg == WM_TASKBARCREATED) {
    if (iconVisible_) AddToTray();
  }
  return false;
}

LRESULT TTrayIcon::OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
    if (Application != nullptr) SetForegroundWindow(Application->Handle());
    SetForegroundWindow(ownerWindow_);
  } else if ((message == WM_SHOWWINDOW && wParam == 0 && lParam == SW_PARENTCLOSING &&
              (Application == nullptr || !Application->Terminated())) ||
             (message == WM_SYSCOMMAND && wParam == SC_MINIMIZE)) {
    if (MinimizeToTray && OnMinimizeToTray) {
      OnMinimizeToTray(this);
      SendToTray();
      return 1;
    }
  }
  return CallWindowProcA(ownerSubclass_.previous(), ownerWindow_, message, wParam, lParam);
}

TTrayIcon* TTrayIcon::FromOwnerWindow(HWND window) {
  return static_cast<TTrayIcon*>(GetPropA(window, kOwnerProp));
}
