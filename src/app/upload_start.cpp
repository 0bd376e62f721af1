#include "app/upload_start.h"

#include <windows.h>

#include "app/clipboard.h"
#include "app/upload_outcome.h"
#include "upload/upload_exchange.h"
#include "upload/upload_worker.h"

namespace {

// One upload under way, from its launch until its worker is gone, whatever
// way it ends; its status is written before.
class TUploadInFlight {
 public:
  explicit TUploadInFlight(std::shared_ptr<TSharedFields> shared) : shared_(std::move(shared)) {
    shared_->BeginUpload();
  }
  ~TUploadInFlight() { shared_->EndUpload(); }
  TUploadInFlight(const TUploadInFlight&) = delete;
  TUploadInFlight& operator=(const TUploadInFlight&) = delete;

 private:
  std::shared_ptr<TSharedFields> shared_;
};

TOutcomePorts OutcomePorts(const TUploadContext& context) {
  TOutcomePorts ports;
  ports.Shared = context.Shared;
  // The icon goes with the main window at exit; a balloon after that is dropped.
  ports.ShowBalloon = [gate = context.TrayGate, icon = context.TrayIcon](
                          const std::string& title, const std::string& text, TBalloonIconKind kind,
                          std::uint8_t timeoutSeconds) {
    gate->Call([&] { icon->ShowBalloon(title, text, kind, timeoutSeconds); });
  };
  ports.CopyTextToClipboard = [](const std::string& text) { return CopyTextToClipboard(text); };
  ports.Waiting = context.Waiting;
  ports.ClipboardSequence = [] { return static_cast<std::uint32_t>(GetClipboardSequenceNumber()); };
  ports.CopyTextIfUnchanged = [](const std::string& text, std::uint32_t expected) {
    return CopyTextToClipboardIfUnchanged(text, expected);
  };
  return ports;
}

// The report runs with the upload counted as under way.
void Launch(const TUploadContext& context, const std::string& path,
            std::function<void(const TOutcomePorts&, const TUploadOutcome&)> report, bool keepRefused) {
  TUploadJob job;
  job.UploadAddress = context.UploadAddress;
  job.Login = context.Shared->Login();
  job.FileName = path;
  job.KeepRefused = keepRefused;
  job.Report = [ports = OutcomePorts(context), report = std::move(report),
                inFlight = std::make_shared<TUploadInFlight>(context.Shared)](const TUploadOutcome& outcome) {
    report(ports, outcome);
  };
  if (context.WatchStatus) context.WatchStatus();
  TMyThread::Launch(std::move(job));
}

}  // namespace

void StartUploadWorker(const TUploadContext& context, const std::string& path) {
  context.Shared->SetImageFileName(path);
  Launch(
      context, path,
      [path](const TOutcomePorts& ports, const TUploadOutcome& outcome) {
        ReportUploadOutcome(ports, outcome, path);
      },
      false);
}

void StartResendWorker(const TUploadContext& context, const std::string& path,
                       std::optional<std::uint32_t> clipboard) {
  Launch(
      context, path,
      [path, clipboard](const TOutcomePorts& ports, const TUploadOutcome& outcome) {
        ReportLateOutcome(ports, outcome, path, clipboard);
      },
      true);
}
