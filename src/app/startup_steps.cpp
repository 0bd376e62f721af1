#include "app/startup_steps.h"

#include <memory>

#include "app/local_files.h"
#include "app/login_file.h"
#include "app/page_commands.h"
#include "app/version_check.h"
#include "toolkit/application.h"
#include "toolkit/message_wait.h"
#include "toolkit/show_message.h"

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
  settings.VersionUrl = site.Service(kVersionTextPath);
  settings.VerPath = FileBesideExecutable("ver");
  return RunVersionCheck(settings, versionList, ui);
}

void LoadLogin(TStringList& configList, TSharedFields& shared) {
  LoadLoginFrom(FileBesideExecutable("config.pl"), configList, shared);
}
