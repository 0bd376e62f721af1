#pragma once
// The upload of one capture: posts the picture with the login, reads the
// service's verdict, and leaves the outcome where the UI thread finds it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/shared_fields.h"
#include "toolkit/thread.h"
#include "tray/balloon_kind.h"

// What the worker reaches beyond the exchange itself. The inputs are copied
// when the worker is launched, on the UI thread: a later capture, however
// soon, changes neither. The shared fields are shared with the main window so
// that a worker still running at exit writes into fields that still exist.
struct TUploadPorts {
  std::string Login;
  std::string FileName;  // this capture's picture
  std::shared_ptr<TSharedFields> Shared;
  std::string UploadUrl;
  std::function<void(const std::string& title, const std::string& text, TBalloonIconKind kind,
                     std::uint8_t timeoutSeconds)>
      ShowBalloon;
  std::function<void(const std::string& text)> CopyTextToClipboard;
};

inline constexpr char kSuccessBalloonTitle[] = "Уведомление";
inline constexpr char kSuccessBalloonText[] = "Скриншот удачно загружен, ссылка в буфере обмена";

// The worker's body; a failed exchange raises, with the file left on disk.
void RunUpload(const TUploadPorts& ports);

// One worker thread per capture; it frees itself and discards its failures.
class TMyThread : public TThread {
 public:
  explicit TMyThread(TUploadPorts ports) : ports_(std::move(ports)) {}
  // Creates the worker suspended, below normal priority, freeing itself, and lets it run.
  static void Launch(TUploadPorts ports);

 protected:
  void Execute() override { RunUpload(ports_); }

 private:
  TUploadPorts ports_;
};
