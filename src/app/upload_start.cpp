#include "app/upload_start.h"

#include "app/main_form.h"
#include "app/service_address.h"
#include "upload/clipboard.h"
#include "upload/upload_worker.h"

void StartUploadWorker() {
  TUploadPorts ports;
  ports.Shared = &Form1->Shared();
  ports.UploadUrl = ServiceAddress("/pic/upload.php");
  ports.ShowBalloon = [](const std::string& title, const std::string& text, TBalloonIconKind kind,
                         std::uint8_t timeoutSeconds) {
    Form1->TrayIcon1->ShowBalloon(title, text, kind, timeoutSeconds);
  };
  ports.CopyTextToClipboard = CopyTextToClipboard;
  TMyThread::Launch(std::move(ports));
}
