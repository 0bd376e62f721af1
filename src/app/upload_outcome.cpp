#include "app/upload_outcome.h"

void ReportUploadOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome) {
  switch (outcome.Kind) {
    case TUploadOutcome::TKind::Linked:
      if (ports.ShowBalloon)
        ports.ShowBalloon(kSuccessBalloonTitle, kSuccessBalloonText, TBalloonIconKind::bkInfo, 10);
      ports.Shared->SetLink(outcome.Text);
      if (ports.CopyTextToClipboard) ports.CopyTextToClipboard(outcome.Text);
      ports.Shared->SetStatus(kStatusGood);
      break;
    case TUploadOutcome::TKind::Refused:
      ports.Shared->SetStatus(outcome.Text);
      break;
    case TUploadOutcome::TKind::Failed:
      break;  // the exchange ends silently; the notifier has nothing to tell
  }
}
