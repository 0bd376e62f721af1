#include "app/version_check.h"

#include "toolkit/file_stream.h"
#include "toolkit/trim.h"

const char* const kServerUnavailableText =
    "Сервер программы не доступен, попробуйте не много позже или проверьте соединение с интернетом";
const char* const kUpdateVersionText = "Обновите версию!Сейчас программа откроет браузер.";

namespace {

void Record(TStringList& versionList, const std::string& version, const std::string& path) {
  versionList.Clear();
  versionList.Add(version);
  versionList.SaveToFile(path);
}

}  // namespace

bool RunVersionCheck(const TVersionCheckSettings& settings, TStringList& versionList,
                     const TVersionCheckUi& ui) {
  std::string remote;
  // The client goes before any message is shown, so no connection stays open
  // while the user reads it.
  try {
    TNetHTTP http;
    http.ReadTimeout = settings.ReadTimeout;
    http.ExchangeTimeout = settings.ExchangeTimeout;
    remote = http.HttpGetText(settings.VersionUrl);
  } catch (const ENetException&) {
    ui.ShowMessage(kServerUnavailableText);
    ui.Terminate();
    return false;
  } catch (const std::exception&) {
    // Not a network failure: the check goes on against an empty version.
    remote.clear();
  }
  remote = Trim(remote);

  if (!FileExists(settings.VerPath)) {
    Record(versionList, remote, settings.VerPath);
    return true;
  }
  versionList.LoadFromFile(settings.VerPath);
  if (Trim(versionList.Strings(0)) != remote) {
    ui.ShowMessage(kUpdateVersionText);
    // Told to end meanwhile: no browser, no new "ver", nothing after.
    if (ui.Ending && ui.Ending()) return false;
    ui.OpenDownload();
    Record(versionList, remote, settings.VerPath);
  }
  return true;
}
