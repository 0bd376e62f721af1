#pragma once
// The upload of one capture: posts the picture with the login, reads the
// service's verdict, and leaves the outcome where the UI thread finds it.

#include <cstdint>
#include <functional>
#include <string>

#include "app/shared_fields.h"
#include "toolkit/thread.h"
#include "tray/balloon_kind.h"

// What the worker reaches beyond the exchange itself.
struct TUploadPorts {
  TSharedFields* Shared = nullptr;
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
