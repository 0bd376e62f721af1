#include "app/upload_outcome.h"

namespace {

using TKind = TUploadOutcome::TKind;

void Balloon(const TOutcomePorts& ports, const std::string& title, const std::string& text,
             TBalloonIconKind kind, unsigned seconds) {
  if (ports.ShowBalloon) ports.ShowBalloon(title, text, kind, static_cast<std::uint8_t>(seconds));
}

void KeepFailedPicture(const TOutcomePorts& ports, const std::string& picture) {
  // The clipboard as the user left it when the picture failed.
  std::optional<std::uint32_t> clipboard;
  if (ports.ClipboardSequence) clipboard = ports.ClipboardSequence();
  TKeptPicture kept = ports.Waiting ? ports.Waiting->Keep(picture) : TKeptPicture{};
  switch (kept.Kind) {
    case TKeptPicture::TKind::Kept:
      Balloon(ports, kErrorBalloonTitle, kKeptBalloonText, TBalloonIconKind::bkError, kErrorBalloonSeconds);
      ports.Shared->PostResendNews({TResendNews::TKind::Kept, kept.Path, clipboard});
      break;
    case TKeptPicture::TKind::Full:
      Balloon(ports, kErrorBalloonTitle, kFolderFullBalloonText + kept.Path, TBalloonIconKind::bkError,
              kErrorBalloonSeconds);
      break;
    case TKeptPicture::TKind::NotMoved:
      ports.Shared->SetStatus(kStatusNotUploaded);
      break;
  }
}

}  // namespace

void ReportUploadOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome,
                         const std::string& picture) {
  switch (outcome.Kind) {
    case TKind::Linked: {
      ports.Shared->SetLink(outcome.Text);
      // The balloon says "on the clipboard" only once it is true.
      bool copied = ports.CopyTextToClipboard && ports.CopyTextToClipboard(outcome.Text);
      if (copied)
        Balloon(ports, kSuccessBalloonTitle, kSuccessBalloonText, TBalloonIconKind::bkInfo, 10);
      else
        Balloon(ports, kNotCopiedBalloonTitle, kNotCopiedBalloonText + outcome.Text,
                TBalloonIconKind::bkWarning, kErrorBalloonSeconds);
      ports.Shared->SetStatus(kStatusGood);
      ports.Shared->PostResendNews({TResendNews::TKind::Answered, {}, {}});
      break;
    }
    case TKind::Refused:
      ports.Shared->SetStatus(outcome.Text);
      ports.Shared->PostResendNews({TResendNews::TKind::Answered, {}, {}});
      break;
    case TKind::Failed:
      KeepFailedPicture(ports, picture);
      break;
  }
}

void ReportLateOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome, const std::string& picture,
                       std::optional<std::uint32_t> clipboard) {
  switch (outcome.Kind) {
    case TKind::Linked: {
      ports.Shared->SetLink(outcome.Text);
      std::optional<std::uint32_t> after;
      if (clipboard && ports.CopyTextIfUnchanged) after = ports.CopyTextIfUnchanged(outcome.Text, *clipboard);
      std::string text = (after ? kLateCopiedBalloonText : kLateLinkBalloonText) + outcome.Text;
      ports.Shared->SetLateBalloon(text, outcome.Text);
      Balloon(ports, kLateBalloonTitle, text, TBalloonIconKind::bkInfo, kLateBalloonSeconds);
      ports.Shared->PostResendNews({TResendNews::TKind::Sent, picture, after});
      break;
    }
    case TKind::Refused: {
      std::string aside = ports.Waiting ? ports.Waiting->SetAside(picture) : picture;
      Balloon(ports, kErrorBalloonTitle, LateRefusalBalloonText(outcome.Text, aside),
              TBalloonIconKind::bkError, kErrorBalloonSeconds);
      ports.Shared->PostResendNews({TResendNews::TKind::Refused, picture, {}});
      break;
    }
    case TKind::Failed:
      ports.Shared->PostResendNews({TResendNews::TKind::NotSent, picture, {}});
      break;
  }
}
