#include "app/upload_start.h"

#include "app/main_form.h"
#include "app/service_address.h"
#include "app/upload_outcome.h"
#include "upload/clipboard.h"
#include "upload/upload_worker.h"

void StartUploadWorker(const std::string& fileName) {
  Form1->Shared().SetImageFileName(fileName);
  TOutcomePorts ports;
  ports.Shared = Form1->SharedOwner();
  // The icon goes with the main window at exit; a balloon after that is dropped.
  ports.ShowBalloon = [gate = Form1->TrayGate(), icon = Form1->TrayIcon1](
                          const std::string& title, const std::string& text, TBalloonIconKind kind,
                          std::uint8_t timeoutSeconds) {
    gate->Call([&] { icon->ShowBalloon(title, text, kind, timeoutSeconds); });
  };
  ports.CopyTextToClipboard = CopyTextToClipboard;

  TUploadJob job;
  job.UploadUrl = ServiceAddress("/pic/upload.php");
  job.Login = Form1->Shared().Login();
  job.FileName = fileName;
  job.Report = [ports = std::move(ports)](const TUploadOutcome& outcome) {
    ReportUploadOutcome(ports, outcome);
  };
  TMyThread::Launch(std::move(job));
}
