#pragma once
// TTrayIcon keeps one icon with a tooltip in the notification area, turns the
// shell's notifications into events, opens a popup menu from the icon, shows
// balloons, and hides the application into the tray when it is minimised.
// Texts (hint, balloon title and text) are UTF-8 and go to the shell as UTF-16.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "toolkit/application.h"
#include "toolkit/component.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"
#include "toolkit/icon.h"
#include "tray/balloon_kind.h"

class TPopupMenu;
class TSimpleTimer;

struct TShiftState {
  bool ssShift = false, ssAlt = false, ssCtrl = false, ssLeft = false, ssRight = false, ssMiddle = false;
};

// The version-2 layout of the wide notification record.
constexpr DWORD kNotifyIconRecordSize = NOTIFYICONDATAW_V2_SIZE;
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

class TTrayIcon : public TComponent {
 public:
  using ShellNotifyCall = std::function<BOOL(DWORD, NOTIFYICONDATAW*)>;
  using TNotifyEvent = std::function<void(TTrayIcon*)>;
  using TMouseEvent = std::function<void(TTrayIcon*, TMouseButton, TShiftState, int, int)>;
  using TMouseMoveEvent = std::function<void(TTrayIcon*, TShiftState, int, int)>;
  using TCycleEvent = std::function<void(TTrayIcon*, int)>;
  using TStartupEvent = std::function<void(TTrayIcon*, bool&)>;

  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;

  // Published properties.
  bool DesignPreview = false;
  void SetIconList(TImageList* list);
  TImageList* IconList() const { return iconList_; }
  void SetCycleIcons(bool value);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleInterval(std::uint32_t milliseconds);
  std::uint32_t CycleInterval() const { return cycleInterval_; }
  bool Enabled = true;
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }
  void SetShowHint(bool value);
  bool ShowHint() const { return showHint_; }
  TIcon& Icon() { return icon_; }
  void SetIconVisible(bool value);
  bool IconVisible() const { return iconVisible_; }
  void SetIconIndex(int index);
  int IconIndex() const { return iconIndex_; }
  TPopupMenu* PopupMenu = nullptr;
  bool LeftPopup = false;
  void SetWantEnterExitEvents(bool value);
  bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
  bool MinimizeToTray = false;

  TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseExit;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintShow, OnBalloonHintHide, OnBalloonHintTimeout, OnBalloonHintClick;
  TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  virtual bool AddToTray();
  virtual bool RemoveFromTray();
  virtual bool UpdateInTray();
  // Safe to call from any thread.
  bool ShowBalloon(const std::string& title, const std::string& text, TBalloonIconKind iconKind,
                   std::uint8_t timeoutSeconds);
  // The text of the last balloon shown, whole: which one a click on a balloon was for.
  std::string BalloonText();
  virtual void SendToTray();
  void HideMainWindow();
  void HideTaskbarButton();
  void ShowMenuAtCursor();
  void ShowMenuAt(int x, int y);

  void Loaded() override;
  void Notification(TComponent* component, bool removing) override;

  // Called by the shared tray window with the lParam of the callback message.
  void HandleTrayNotification(UINT notification);

  // A copy of the record as it stands, and the shell call, for tests.
  NOTIFYICONDATAW RecordSnapshot();
  static void SetShellNotifyCall(ShellNotifyCall call);

 protected:
  virtual void DoClick();
  virtual void DoDblClick();
  virtual void DoCycle(int nextIndex);
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void DoMouseMove(TShiftState shift, int x, int y);
  virtual void DoMouseEnter();
  virtual void DoMouseExit();

 private:
  void PrepareRecord();
  bool Notify(DWORD message);
  void ClearBalloon();
  bool ApplicationHook(TMessage& message);
  LRESULT OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  static TTrayIcon* FromOwnerWindow(HWND window);
  TForm* OwnerForm() const;
  void HandleMouseMessage(UINT message);
  void CycleTick(TSimpleTimer* timer);
  void ClickTick(TSimpleTimer* timer);
  void ExitTick(TSimpleTimer* timer);

  // Guards the record and every shell call that passes it; re-entrant because
  // a balloon calls UpdateInTray twice while holding it.
  std::recursive_mutex recordLock_;
  NOTIFYICONDATAW record_{};
  std::string balloonText_;

  TImageList* iconList_ = nullptr;
  bool cycleIcons_ = false;
  std::uint32_t cycleInterval_ = 0;
  std::string hint_;
  bool showHint_ = true;
  TIcon icon_;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  bool wantEnterExitEvents_ = false;

  std::unique_ptr<TSimpleTimer> cycleTimer_;
  std::unique_ptr<TSimpleTimer> clickTimer_;
  std::unique_ptr<TSimpleTimer> exitTimer_;
  bool clickArmed_ = false, clickPending_ = false, doubleClick_ = false;
  bool pointerOutside_ = true;
  POINT lastPointer_{};

  TApplication::HookId hookId_ = 0;
  HWND ownerWindow_ = nullptr;
  ScopedWindowSubclass ownerSubclass_;
};
