#include "toolkit/popup_menu.h"
#include "tray/simple_timer.h"
#include "tray/tray_icon.h"
#include "tray/tray_icon_handler.h"

namespace {

TShiftState KeysDown() {
  TShiftState shift;
  shift.ssShift = GetAsyncKeyState(VK_SHIFT) < 0;
  shift.ssAlt = GetAsyncKeyState(VK_MENU) < 0;
  shift.ssCtrl = GetAsyncKeyState(VK_CONTROL) < 0;
  return shift;
}

TShiftState With(TShiftState shift, TMouseButton button) {
  shift.ssLeft = button == TMouseButton::mbLeft;
  shift.ssRight = button == TMouseButton::mbRight;
  shift.ssMiddle = button == TMouseButton::mbMiddle;
  return shift;
}

}  // namespace

void TTrayIcon::HandleTrayNotification(UINT notification) {
  switch (notification) {
    case NIN_BALLOONSHOW:
      if (OnBalloonHintShow) OnBalloonHintShow(this);
      return;
    case NIN_BALLOONHIDE:
      if (OnBalloonHintHide) OnBalloonHintHide(this);
      return;
    case NIN_BALLOONTIMEOUT:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
      return;
    case NIN_BALLOONUSERCLICK:
      if (OnBalloonHintClick) OnBalloonHintClick(this);
      return;
  }
  if (Enabled) HandleMouseMessage(notification);
}

void TTrayIcon::HandleMouseMessage(UINT message) {
  POINT at{};
  GetCursorPos(&at);
  TShiftState shift = KeysDown();
  bool menuReady = PopupMenu != nullptr && PopupMenu->AutoPopup;
  switch (message) {
    case WM_MOUSEMOVE:
      if (wantEnterExitEvents_ && pointerOutside_) {
        DoMouseEnter();
        pointerOutside_ = false;
      }
      DoMouseMove(shift, at.x, at.y);
      lastPointer_ = at;
      break;
    case WM_LBUTTONDOWN:
      if (OnDblClick) {
        clickTimer_->SetInterval(GetDoubleClickTime());
        clickTimer_->Start();
      }
      DoMouseDown(TMouseButton::mbLeft, With(shift, TMouseButton::mbLeft), at.x, at.y);
      clickArmed_ = true;
      if (LeftPopup && menuReady) {
        SetForegroundWindow(TTrayIconHandler::Window());
        ShowMenuAtCursor();
      }
      break;
    case WM_LBUTTONUP:
      if (clickArmed_) clickPending_ = true;
      if (clickArmed_ && !clickTimer_->Running()) {
        clickArmed_ = false;
        clickPending_ = false;
        DoClick();
      }
      clickArmed_ = false;
      DoMouseUp(TMouseButton::mbLeft, With(shift, TMouseButton::mbLeft), at.x, at.y);
      break;
    case WM_LBUTTONDBLCLK:
      clickPending_ = false;
      doubleClick_ = true;
      DoDblClick();
      if (menuReady && !LeftPopup) {
        for (const auto& item : PopupMenu->Items.Items()) {
          if (item->Default) {
            item->Click();
            break;
          }
        }
      }
      break;
    case WM_RBUTTONDOWN:
      DoMouseDown(TMouseButton::mbRight, With(shift, TMouseButton::mbRight), at.x, at.y);
      if (menuReady) {
        SetForegroundWindow(TTrayIconHandler::Window());
        ShowMenuAtCursor();
      }
      break;
    case WM_RBUTTONUP:
      DoMouseUp(TMouseButton::mbRight, With(shift, TMouseButton::mbRight), at.x, at.y);
      break;
    case WM_MBUTTONDOWN:
      DoMouseDown(TMouseButton::mbMiddle, With(shift, TMouseButton::mbMiddle), at.x, at.y);
      break;
    case WM_MBUTTONUP:
      DoMouseUp(TMouseButton::mbMiddle, With(shift, TMouseButton::mbMiddle), at.x, at.y);
      break;
  }
}

void TTrayIcon::ClickTick(TSimpleTimer* timer) {
  timer->Stop();
  if (!doubleClick_ && clickPending_) {
    clickPending_ = false;
    DoClick();
  }
  doubleClick_ = false;
}

void TTrayIcon::ExitTick(TSimpleTimer*) {
  if (pointerOutside_) return;
  POINT at{};
  if (!GetCursorPos(&at)) return;
  if (at.x != lastPointer_.x || at.y != lastPointer_.y) {
    pointerOutside_ = true;
    DoMouseExit();
  }
}

void TTrayIcon::CycleTick(TSimpleTimer*) {
  if (iconList_ == nullptr) return;
  iconList_->GetIcon(iconIndex_, icon_);
  int next = iconIndex_ >= iconList_->Count() - 1 ? 0 : iconIndex_ + 1;
  DoCycle(next);
  SetIconIndex(next);
}

void TTrayIcon::SetCycleIcons(bool value) {
  cycleIcons_ = value;
  if (value) {
    SetIconIndex(0);
    cycleTimer_->SetInterval(cycleInterval_);
    cycleTimer_->Start();
  } else {
    cycleTimer_->Stop();
  }
}

void TTrayIcon::SetCycleInterval(std::uint32_t milliseconds) {
  if (milliseconds == cycleInterval_) return;
  cycleInterval_ = milliseconds;
  SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetWantEnterExitEvents(bool value) {
  wantEnterExitEvents_ = value;
  if (value)
    exitTimer_->Start();
  else
    exitTimer_->Stop();
}

void TTrayIcon::ShowMenuAtCursor() {
  POINT at{};
  if (GetCursorPos(&at)) ShowMenuAt(at.x, at.y);
}

void TTrayIcon::ShowMenuAt(int x, int y) {
  if (PopupMenu == nullptr) return;
  HWND trayWindow = TTrayIconHandler::Window();
  SetForegroundWindow(trayWindow);
  if (Application != nullptr) Application->ProcessMessages();
  PopupMenu->PopupComponent = this;
  PopupMenu->Popup(x, y, trayWindow);
  if (OwnerForm() != nullptr) PostMessageA(ownerWindow_, WM_NULL, 0, 0);
}

void TTrayIcon::DoClick() {
  if (OnClick) OnClick(this);
}
void TTrayIcon::DoDblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TTrayIcon::DoCycle(int nextIndex) {
  if (OnCycle) OnCycle(this, nextIndex);
}
void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TTrayIcon::DoMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TTrayIcon::DoMouseExit() {
  if (OnMouseExit) OnMouseExit(this);
}
