#include "app/startup_steps.h"

#include "app/local_files.h"
#include "app/login_file.h"
#include "app/page_commands.h"
#include "app/service_address.h"
#include "app/version_check.h"
#include "toolkit/application.h"
#include "toolkit/show_message.h"

bool CheckVersion(TStringList& versionList) {
  TVersionCheckUi ui;
  ui.ShowMessage = ShowMessage;
  ui.OpenDownload = [] { OpenServicePage("/PondixScreenLoader.exe"); };
  ui.Terminate = [] { Application->Terminate(); };
  ui.Ending = [] { return Application->TerminateRequested(); };
  TVersionCheckSettings settings;
  settings.VersionUrl = ServiceAddress(kVersionTextPath);
  settings.VerPath = FileBesideExecutable("ver");
  return RunVersionCheck(settings, versionList, ui);
}

void LoadLogin(TStringList& configList, TSharedFields& shared) {
  LoadLoginFrom(FileBesideExecutable("config.pl"), configList, shared);
}
