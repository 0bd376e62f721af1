#include "upload/upload_exchange.h"

#include "upload/http/http_client.h"
#include "upload/multipart.h"
#include "upload/extraction.h"

TUploadOutcome PostPicture(const TNetURI& uploadAddress, const std::string& login, const std::string& path,
                           const TNetProxyChoice& proxies) {
  std::string reply;
  {
    TNetHTTP client;
    client.Proxies = proxies;
    // The body goes out in pieces written back to back; holding each small
    // tail back for an acknowledgement only slows them (a quarter of the
    // throughput on loopback) and can stall the last one.
    client.UseNagle = false;
    TNetMultiPartFormDataStream form;
    form.AddValueField("login", login);
    // The service learns the picture's name, not the folders of the user's machine.
    form.AddFilePart("pic", path, "image/pjpeg", path.substr(path.find_last_of("\\/:") + 1));
    reply = PostForm(client, uploadAddress, form);
  }
  // "good" anywhere, case-sensitive; the link is all after the first colon, untrimmed.
  if (reply.find("good") == std::string::npos) return {TUploadOutcome::TKind::Refused, reply};
  return {TUploadOutcome::TKind::Linked, ExtractDelimited(reply, ":", "", 0, 0)};
}
