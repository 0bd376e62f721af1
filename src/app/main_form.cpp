#include "app/main_form.h"

#include <algorithm>
#include <memory>

#include <shellapi.h>

#include "app/autostart_and_login.h"
#include "app/clipboard.h"
#include "app/status_notifier.h"
#include "app/upload_start.h"
#include "app/version_check.h"
#include "capture/overlay_form.h"
#include "toolkit/application.h"
#include "toolkit/executable_path.h"
#include "toolkit/message_box.h"
#include "toolkit/message_wait.h"
#include "toolkit/text.h"
#include "upload/upload_exchange.h"

namespace {

// Nothing is reported when no browser takes the address.
void OpenInBrowser(const std::string& address) {
  ShellExecuteW(Application != nullptr ? Application->Handle() : nullptr, L"open",
                Utf8ToWide(address).c_str(), nullptr, nullptr, SW_SHOW);
}

// The start-up's first step: compares the service's version with the file
// "ver", asking again for about a minute while the service cannot be reached,
// with the program responsive; false when the program must end: the service
// stayed out of reach, or the user chose to end it meanwhile.
bool CheckVersion(TStringList& versionList, const TServiceSite& site) {
  TVersionCheckUi ui;
  ui.ShowMessage = ShowMessage;
  ui.OpenDownload = [download = site.Service(kDownloadPath)] { OpenInBrowser(download); };
  ui.Terminate = [] { Application->Terminate(); };
  ui.Ending = [] { return Application->TerminateRequested(); };
  // A lookup or a connect can block for seconds: the request runs on a thread
  // of its own, so the tray menu and its exit command answer meanwhile.
  ui.RunRequest = [](std::function<TVersionReply()> request) -> std::optional<TVersionReply> {
    // Shared with the request's thread, which an ending program leaves behind.
    auto reply = std::make_shared<TVersionReply>();
    if (!RunHandlingMessages([request = std::move(request), reply] { *reply = request(); }))
      return std::nullopt;
    return *reply;
  };
  ui.Pause = [](std::chrono::milliseconds pause) {
    return WaitHandlingMessages(nullptr, static_cast<DWORD>(pause.count())) != TMessageWaitEnd::Ending;
  };
  ui.Now = [] { return std::chrono::steady_clock::now(); };
  TVersionCheckSettings settings;
  settings.VersionAddress = site.ServiceAddress(kVersionTextPath);
  settings.VerPath = FileBesideExecutable("ver");
  return RunVersionCheck(settings, versionList, ui);
}

// The login text from "config.pl".
void LoadLogin(TStringList& configList, TSharedFields& shared) {
  LoadLoginFrom(FileBesideExecutable("config.pl"), configList, shared);
}

}  // namespace

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner, TServiceSite site) : TForm(owner), site_(std::move(site)) {
  windowState_ = TWindowState::wsMinimized;

  // The order of the window definition: the icon is in the tray before FormCreate.
  TrayIcon1 = new TTrayIcon(this);
  TrayIcon1->SetCycleInterval(0);
  TrayIcon1->SetHint(kTrayHint);
  TrayIcon1->Icon().LoadFromResource(1, 32);
  TrayIcon1->SetIconVisible(true);
  TrayIcon1->SetIconIndex(0);
  TrayIcon1->MinimizeToTray = true;

  PopupMenu1 = new TPopupMenu(this);
  CreateMenu();
  TrayIcon1->PopupMenu = PopupMenu1;

  Timer1 = new TTimer(this);
  Timer1->SetInterval(10);
  Timer1->OnTimer = [this](TTimer* t) { Timer1Timer(t); };
  Timer1->SetEnabled(true);

  Timer2 = new TTimer(this);
  Timer2->SetEnabled(false);
  Timer2->OnTimer = [this](TTimer* t) { Timer2Timer(t); };
  TrayIcon1->OnBalloonHintClick = [this](TTrayIcon* icon) { TrayIcon1BalloonHintClick(icon); };

  TResendPorts ports;
  ports.Waiting = [waiting = waiting_] { return waiting->Waiting(); };
  ports.Send = [this](const std::string& path, std::optional<std::uint32_t> clipboard) {
    StartResendWorker(UploadContext(), path, clipboard);
  };
  ports.SetTimer = [this](std::optional<std::chrono::milliseconds> pause) {
    Timer2->SetEnabled(false);
    if (!pause) return;
    Timer2->SetInterval(static_cast<unsigned>(std::max<std::chrono::milliseconds::rep>(pause->count(), 1)));
    Timer2->SetEnabled(true);
  };
  ports.ShowCount = [this](std::size_t waiting) {
    std::string hint = TrayHint(waiting);
    if (hint != TrayIcon1->Hint()) TrayIcon1->SetHint(hint);
  };
  resend_ = std::make_unique<TResendSchedule>(std::move(ports));
}

// Upload workers may still run at exit. The icon they show balloons through
// goes with the components after this body, so their late balloons are
// dropped from here on; the shared fields they write are theirs too.
TForm1::~TForm1() { trayGate_->Close(); }

void TForm1::CreateMenu() {
  auto item = [this](TMenuItem& parent, const char* name, const char* caption,
                     void (TForm1::*handler)(TMenuItem*)) {
    TMenuItem* added = parent.Add(std::make_unique<TMenuItem>(name, caption));
    if (handler != nullptr) added->OnClick = [this, handler](TMenuItem* sender) { (this->*handler)(sender); };
    return added;
  };
  TMenuItem& root = PopupMenu1->Items;
  N10 = item(root, "N10", "Сделать скриншот Alt+S ", &TForm1::N10Click);
  N10->Hint = "Горячие клавиши Alt+S";
  // Never shown; kept so that the menu has the items its definition lists.
  N1 = item(root, "N1", "", nullptr);
  N1->Visible = false;
  N2 = item(*N1, "N2", "", nullptr);
  N2->RadioItem = true;
  N3 = item(*N1, "N3", "", nullptr);
  N3->RadioItem = true;
  N4 = item(root, "N4", "Перейти в ", nullptr);
  Pondix1 = item(*N4, "Pondix1", "Кабинет Pondix", &TForm1::Pondix1Click);
  N5 = item(*N4, "N5", "Историю скриншотов", &TForm1::N5Click);
  N6 = item(*N4, "N6", "Заказ рекламы", &TForm1::N6Click);
  N7 = item(*N4, "N7", "Лотерею", &TForm1::N7Click);
  N8 = item(root, "N8", "О программе", &TForm1::N8Click);
  Lurnoru1 = item(root, "Lurnoru1", site_.CompanyCaption.c_str(), &TForm1::Lurnoru1Click);
  N9 = item(root, "N9", "Выход", &TForm1::N9Click);
}

void TForm1::CreateParams(TCreateParams& params) {
  params.WindowClassName = "TForm1";
  params.Caption = "Form1";
  params.X = 545;
  params.Y = 141;
  params.Width = 220;
  params.Height = 71;
}

void TForm1::FormCreate() {
  resend_->Refresh();
  try {
    if (!CheckVersion(versionList_, site_)) return;
  } catch (...) {
    // Only "ver" fails once the service has answered (the zip in a read-only
    // folder): the pictures that wait go all the same.
    resend_->Begin();
    throw;
  }
  resend_->Begin();
  RegisterAutostart();
  LoadLogin(configList_, *shared_);
  // Said once, at the start: else Alt+S would do nothing, for ever, unexplained.
  if (!RegisterHotKeyAndMinimize())
    TrayIcon1->ShowBalloon("Сочетание Alt+S занято",
                           "Alt+S уже использует другая программа. Скриншот по-прежнему можно сделать "
                           "из меню значка: первый пункт, «Сделать скриншот».",
                           TBalloonIconKind::bkWarning, 30);
}

// The system refuses the key while we hold it: no word of that.
void TForm1::FormActivate() { RegisterHotKeyAndMinimize(); }

void TForm1::FormClose(TCloseAction&) {
  // The proposed action stands: closing the main window ends the program.
}

bool TForm1::RegisterHotKeyAndMinimize() {
  // A refusal (the key is taken) leaves only the menu to start a capture.
  bool registered = RegisterHotKey(Handle(), kHotKeyId, kHotKeyModifiers, kHotKeyKey) != 0;
  PostMessageA(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  return registered;
}

LRESULT TForm1::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) {
    WMHotKey(wParam);
    return 0;
  }
  return TForm::WndProc(message, wParam, lParam);
}

void TForm1::WMHotKey(WPARAM id) {
  if (id == kHotKeyId && IsIconic(Application->Handle())) N10Click(N10);
}

void TForm1::N10Click(TMenuItem*) {
  if (Form3 != nullptr) Form3->Show();
  SetForegroundWindow(Application->Handle());
}

void TForm1::Pondix1Click(TMenuItem*) { OpenInBrowser(site_.Service("/cab/")); }
void TForm1::N5Click(TMenuItem*) { OpenInBrowser(site_.Service("/pic/")); }
void TForm1::N6Click(TMenuItem*) { OpenInBrowser(site_.Service("/ad/")); }
void TForm1::N7Click(TMenuItem*) { OpenInBrowser(site_.Service("/lottery/")); }
void TForm1::N8Click(TMenuItem*) { OpenInBrowser(site_.Service("/PSL.php")); }
void TForm1::Lurnoru1Click(TMenuItem*) { OpenInBrowser(site_.CompanySite); }

void TForm1::N9Click(TMenuItem*) {
  UnregisterHotKey(Handle(), kHotKeyId);
  Application->Terminate();
}

void TForm1::Timer1Timer(TTimer*) {
  // First, since the news may start a worker, which keeps this timer going.
  for (const TResendNews& news : shared_->TakeResendNews()) resend_->Take(news);
  // The take releases the lock before the balloon is shown.
  bool idle = false;
  std::string status = shared_->TakeStatus(idle);
  ReportUploadStatus(status, *TrayIcon1);
  // Nothing can arrive before the next upload starts, and that wakes the
  // timer again: an idle program is not woken a hundred times a second.
  if (idle) Timer1->SetEnabled(false);
}

void TForm1::Timer2Timer(TTimer*) {
  Timer2->SetEnabled(false);
  resend_->TimerTick();
}

void TForm1::TrayIcon1BalloonHintClick(TTrayIcon*) {
  // The user waits for it: a moment's patience for a clipboard held elsewhere.
  if (std::optional<std::string> link = shared_->LateBalloonLink(TrayIcon1->BalloonText()))
    CopyTextToClipboard(*link, std::chrono::milliseconds(1000));
}

TUploadContext TForm1::UploadContext() {
  TUploadContext context;
  context.UploadAddress = site_.ServiceAddress(kUploadPath);
  context.Shared = shared_;
  context.TrayGate = trayGate_;
  context.TrayIcon = TrayIcon1;
  context.Waiting = waiting_;
  context.WatchStatus = [this] { Timer1->SetEnabled(true); };
  return context;
}

void TForm1::UploadPicture(const std::string& path) { StartUploadWorker(UploadContext(), path); }
