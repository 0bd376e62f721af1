#include "app/upload_outcome.h"

void ReportUploadOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome) {
  switch (outcome.Kind) {
    case TUploadOutcome::TKind::Linked: {
      ports.Shared->SetLink(outcome.Text);
      // The balloon says "on the clipboard" only once it is true.
      bool copied = ports.CopyTextToClipboard && ports.CopyTextToClipboard(outcome.Text);
      if (ports.ShowBalloon) {
        if (copied)
          ports.ShowBalloon(kSuccessBalloonTitle, kSuccessBalloonText, TBalloonIconKind::bkInfo, 10);
        else
          ports.ShowBalloon(kNotCopiedBalloonTitle, kNotCopiedBalloonText + outcome.Text,
                            TBalloonIconKind::bkWarning, kErrorBalloonSeconds);
      }
      ports.Shared->SetStatus(kStatusGood);
      break;
    }
    case TUploadOutcome::TKind::Refused:
      ports.Shared->SetStatus(outcome.Text);
      break;
    case TUploadOutcome::TKind::Failed:
      ports.Shared->SetStatus(kStatusNotUploaded);
      break;
  }
}
