#include "upload/upload_worker.h"

#include <memory>

#include "toolkit/file_stream.h"
#include "upload/net_http.h"
#include "upload/net_multipart.h"
#include "upload/text_utils.h"

namespace {

std::string PostPicture(const TUploadPorts& ports, const std::string& login, const std::string& fileName) {
  // Both are released before anything else happens, on every path: the file is
  // closed before it is deleted, the connection before the balloon.
  TNetHTTP client;
  TNetMultiPartFormDataStream form;
  form.AddValueField("login", login);
  form.AddFilePart("pic", fileName, "image/pjpeg");
  return PostForm(client, ports.UploadUrl, form);
}

}  // namespace

void RunUpload(const TUploadPorts& ports) {
  const std::string& fileName = ports.FileName;
  std::string reply = PostPicture(ports, ports.Login, fileName);

  if (reply.find("good") != std::string::npos) {
    if (ports.ShowBalloon)
      ports.ShowBalloon(kSuccessBalloonTitle, kSuccessBalloonText, TBalloonIconKind::bkInfo, 10);
    std::string link = ExtractDelimited(reply, ":", "", 0, 0);
    ports.Shared->SetLink(link);
    if (ports.CopyTextToClipboard) ports.CopyTextToClipboard(link);
    ports.Shared->SetStatus("good");
  } else {
    ports.Shared->SetStatus(reply);
  }
  DeleteFileByName(fileName);  // a file held open by someone else simply stays
}

void TMyThread::Launch(TUploadPorts ports) {
  auto* worker = new TMyThread(std::move(ports));
  worker->FreeOnTerminate = true;
  worker->BelowNormalPriority = true;
  if (!worker->Start()) delete worker;
}
