#include "app/upload_start.h"

#include "app/main_form.h"
#include "app/service_address.h"
#include "upload/clipboard.h"
#include "upload/upload_worker.h"

void StartUploadWorker() {
  TUploadPorts ports;
  ports.Login = Form1->Shared().Login();
  ports.FileName = Form1->Shared().ImageFileName();
  ports.Shared = Form1->SharedOwner();
  ports.UploadUrl = ServiceAddress("/pic/upload.php");
  // The icon goes with the main window at exit; a balloon after that is dropped.
  ports.ShowBalloon = [gate = Form1->TrayGate(), icon = Form1->TrayIcon1](
                          const std::string& title, const std::string& text, TBalloonIconKind kind,
                          std::uint8_t timeoutSeconds) {
    gate->Call([&] { icon->ShowBalloon(title, text, kind, timeoutSeconds); });
  };
  ports.CopyTextToClipboard = CopyTextToClipboard;
  TMyThread::Launch(std::move(ports));
}
