#pragma once
// The hidden main window: owner of the tray icon, its menu and the status
// timer, keeper of the texts shared with the upload workers.

#include <memory>
#include <string>

#include <windows.h>

#include "app/resend_schedule.h"
#include "app/service_site.h"
#include "app/shared_fields.h"
#include "app/upload_start.h"
#include "app/waiting_folder.h"
#include "toolkit/call_gate.h"
#include "toolkit/form.h"
#include "toolkit/popup_menu.h"
#include "toolkit/string_list.h"
#include "toolkit/ui_timer.h"
#include "tray/tray_icon.h"

constexpr int kHotKeyId = 1;
// Held down, the key does not repeat: one capture.
constexpr UINT kHotKeyModifiers = MOD_ALT | MOD_NOREPEAT;
constexpr UINT kHotKeyKey = 'S';

class TForm1 : public TForm {
 public:
  // The site is the one the program was built for, or a test's.
  TForm1(TComponent* owner, TServiceSite site);
  ~TForm1() override;

  TTrayIcon* TrayIcon1;
  TPopupMenu* PopupMenu1;
  TMenuItem *N10, *N1, *N2, *N3, *N4, *Pondix1, *N5, *N6, *N7, *N8, *Lurnoru1, *N9;
  TTimer* Timer1;
  // Ticks once when the pictures that wait are to be sent again.
  TTimer* Timer2;

  TSharedFields& Shared() { return *shared_; }
  // For upload workers, which may outlive the window: the fields themselves,
  // and the gate through which they reach the tray icon.
  const std::shared_ptr<TSharedFields>& SharedOwner() const { return shared_; }
  const std::shared_ptr<TCallGate>& TrayGate() const { return trayGate_; }

  void N10Click(TMenuItem* sender);
  void Pondix1Click(TMenuItem* sender);
  void N5Click(TMenuItem* sender);
  void N6Click(TMenuItem* sender);
  void N7Click(TMenuItem* sender);
  void N8Click(TMenuItem* sender);
  void Lurnoru1Click(TMenuItem* sender);
  void N9Click(TMenuItem* sender);
  void Timer1Timer(TTimer* sender);
  void Timer2Timer(TTimer* sender);
  // A click on the balloon of a late upload puts its link on the clipboard.
  void TrayIcon1BalloonHintClick(TTrayIcon* sender);
  // Uploads the picture a grab has written, and keeps Timer1 looking at the
  // status slot until no upload is under way and the slot is empty.
  void UploadPicture(const std::string& path);

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormCreate() override;
  void FormActivate() override;
  void FormClose(TCloseAction& action) override;
  void WMHotKey(WPARAM id);

 private:
  // Whether the system gave us Alt+S.
  bool RegisterHotKeyAndMinimize();
  void CreateMenu();
  TUploadContext UploadContext();

  TServiceSite site_;
  std::shared_ptr<TSharedFields> shared_ = std::make_shared<TSharedFields>();
  std::shared_ptr<TCallGate> trayGate_ = std::make_shared<TCallGate>();
  std::shared_ptr<TWaitingFolder> waiting_ = std::make_shared<TWaitingFolder>(DefaultWaitingFolders());
  std::unique_ptr<TResendSchedule> resend_;
  TStringList versionList_;
  TStringList configList_;
};

extern TForm1* Form1;
