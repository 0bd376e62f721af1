#pragma once
// What the user sees of an upload's verdict: the success balloon, the link in
// the shared fields and on the clipboard, and the status slot that the
// notifier reads for refusals.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/shared_fields.h"
#include "app/status_rules.h"
#include "tray/balloon_kind.h"
#include "upload/upload_exchange.h"

inline constexpr char kSuccessBalloonTitle[] = "Уведомление";
inline constexpr char kSuccessBalloonText[] = "Скриншот удачно загружен, ссылка в буфере обмена";
// When the clipboard stays closed to us, the link itself follows this text.
inline constexpr char kNotCopiedBalloonTitle[] = "Ссылка не скопирована";
inline constexpr char kNotCopiedBalloonText[] =
    "Скриншот загружен, но буфер обмена занят другой программой. Ссылка: ";

// Where a verdict goes. The shared fields are shared with the main window, so
// that a worker still running at exit writes into fields that still exist.
struct TOutcomePorts {
  std::shared_ptr<TSharedFields> Shared;
  std::function<void(const std::string& title, const std::string& text, TBalloonIconKind kind,
                     std::uint8_t timeoutSeconds)>
      ShowBalloon;
  // False when the link could not be put there.
  std::function<bool(const std::string& text)> CopyTextToClipboard;
};

// Runs on the worker's thread. Linked: the link into the shared fields and
// onto the clipboard, then the balloon that says whether it got there (with
// the link when not), then "good" into the status slot. Refused: the reply
// into the status slot. Failed: the status of a picture that was not
// uploaded, so that the user hears of it as of a refusal.
void ReportUploadOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome);
