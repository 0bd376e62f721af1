#include "app/status_notifier.h"

#include "app/status_rules.h"

void ReportUploadStatus(TSharedFields& shared, TTrayIcon& trayIcon) {
  // The take releases the lock before the balloon is shown.
  std::optional<std::string> text = ErrorBalloonText(shared.TakeStatus());
  if (text) trayIcon.ShowBalloon(kErrorBalloonTitle, *text, TBalloonIconKind::bkError, kErrorBalloonSeconds);
}
