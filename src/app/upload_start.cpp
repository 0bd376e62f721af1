#include "app/upload_start.h"

#include "app/clipboard.h"
#include "app/main_form.h"
#include "app/service_address.h"
#include "app/upload_outcome.h"
#include "upload/service_exchanges.h"
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

}  // namespace

void StartUploadWorker(const std::string& path) {
  Form1->Shared().SetImageFileName(path);
  TOutcomePorts ports;
  ports.Shared = Form1->SharedOwner();
  // The icon goes with the main window at exit; a balloon after that is dropped.
  ports.ShowBalloon = [gate = Form1->TrayGate(), icon = Form1->TrayIcon1](
                          const std::string& title, const std::string& text, TBalloonIconKind kind,
                          std::uint8_t timeoutSeconds) {
    gate->Call([&] { icon->ShowBalloon(title, text, kind, timeoutSeconds); });
  };
  ports.CopyTextToClipboard = [](const std::string& text) { return CopyTextToClipboard(text); };

  TUploadJob job;
  job.UploadUrl = ServiceAddress(kUploadPath);
  job.Login = Form1->Shared().Login();
  job.FileName = path;
  job.Report = [ports = std::move(ports), inFlight = std::make_shared<TUploadInFlight>(Form1->SharedOwner())](
                   const TUploadOutcome& outcome) { ReportUploadOutcome(ports, outcome); };
  Form1->WatchUploadStatus();
  TMyThread::Launch(std::move(job));
}
