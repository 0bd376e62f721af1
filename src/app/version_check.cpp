#include "app/version_check.h"

#include "app/version_retry.h"
#include "toolkit/file_stream.h"
#include "toolkit/text.h"

const char* const kServerUnavailableText =
    "Сервер программы не доступен, попробуйте не много позже или проверьте соединение с интернетом";
const char* const kUpdateVersionText = "Обновите версию!Сейчас программа откроет браузер.";

namespace {

void Record(TStringList& versionList, const std::string& version, const std::string& path) {
  versionList.Clear();
  versionList.Add(version);
  versionList.SaveToFile(path);
}

// The last reply, or nothing when the program was told to end meanwhile.
std::optional<TVersionReply> AskUntilReached(const TVersionCheckSettings& settings,
                                             const TVersionCheckUi& ui) {
  const auto first = ui.Now();
  TRetrySchedule schedule;
  for (;;) {
    // The request gets its own copy of the settings: it may outlive this call.
    std::optional<TVersionReply> reply = ui.RunRequest([settings] { return AskServiceVersion(settings); });
    if (!reply || reply->Kind != TVersionReply::TKind::NotReached) return reply;
    auto pause = schedule.NextPause(std::chrono::duration_cast<std::chrono::milliseconds>(ui.Now() - first));
    if (!pause) return reply;
    if (!ui.Pause(*pause)) return std::nullopt;
  }
}

}  // namespace

TVersionReply AskServiceVersion(const TVersionCheckSettings& settings) {
  std::optional<TNetHTTP> http;
  try {
    http.emplace();
    http->ConnectTimeout = settings.ConnectTimeout;
    http->ReadTimeout = settings.ReadTimeout;
    http->ExchangeTimeout = settings.ExchangeTimeout;
    return {TVersionReply::TKind::Version, http->HttpGetText(settings.VersionAddress)};
  } catch (const ENetException& e) {
    bool notReached = http && ServiceNotReached(e, http->Stage());
    return {notReached ? TVersionReply::TKind::NotReached : TVersionReply::TKind::Failed, {}};
  } catch (const std::exception&) {
    // Not a network failure: the check goes on against an empty version.
    return {TVersionReply::TKind::Version, {}};
  }
}

bool RunVersionCheck(const TVersionCheckSettings& settings, TStringList& versionList,
                     const TVersionCheckUi& ui) {
  std::optional<TVersionReply> reply = AskUntilReached(settings, ui);
  // Told to end while waiting for the service: nothing is shown, nothing follows.
  if (!reply) return false;
  if (reply->Kind != TVersionReply::TKind::Version) {
    ui.ShowMessage(kServerUnavailableText);
    ui.Terminate();
    return false;
  }
  std::string remote = Trim(reply->Text);

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
