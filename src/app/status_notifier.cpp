#include "app/status_notifier.h"

#include "app/status_rules.h"

void ReportUploadStatus(const std::string& takenStatus, TTrayIcon& trayIcon) {
  std::optional<std::string> text = ErrorBalloonText(takenStatus);
  if (text) trayIcon.ShowBalloon(kErrorBalloonTitle, *text, TBalloonIconKind::bkError, kErrorBalloonSeconds);
}
