#pragma once
// What the user sees of an upload's verdict: the success balloon, the link in
// the shared fields and on the clipboard, and the status slot that the
// notifier reads for refusals; for a failed exchange, the picture kept to be
// sent again, and for a picture sent again, its late link.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/shared_fields.h"
#include "app/status_notifier.h"
#include "app/waiting_folder.h"
#include "tray/balloon_kind.h"
#include "upload/upload_exchange.h"

inline constexpr char kSuccessBalloonTitle[] = "Уведомление";
inline constexpr char kSuccessBalloonText[] = "Скриншот удачно загружен, ссылка в буфере обмена";
// When the clipboard stays closed to us, the link itself follows this text.
inline constexpr char kNotCopiedBalloonTitle[] = "Ссылка не скопирована";
inline constexpr char kNotCopiedBalloonText[] =
    "Скриншот загружен, но буфер обмена занят другой программой. Ссылка: ";

// Where a verdict goes. The shared fields and the folder are shared with the
// main window, so that a worker still running at exit uses ones that still exist.
struct TOutcomePorts {
  std::shared_ptr<TSharedFields> Shared;
  std::function<void(const std::string& title, const std::string& text, TBalloonIconKind kind,
                     std::uint8_t timeoutSeconds)>
      ShowBalloon;
  // False when the link could not be put there.
  std::function<bool(const std::string& text)> CopyTextToClipboard;
  // None: a picture whose exchange failed stays where it is.
  std::shared_ptr<TWaitingFolder> Waiting;
  std::function<std::uint32_t()> ClipboardSequence;
  // See CopyTextToClipboardIfUnchanged.
  std::function<std::optional<std::uint32_t>(const std::string& text, std::uint32_t expected)>
      CopyTextIfUnchanged;
};

// Runs on the worker's thread. Linked: the link into the shared fields and
// onto the clipboard, then the balloon that says whether it got there (with
// the link when not), then "good" into the status slot. Refused: the reply
// into the status slot. Either tells the resend schedule that the service
// answers. Failed: the picture into the folder of waiting pictures, with the
// balloon that says so or that the folder is full; where it cannot go there,
// the status of a picture that was not uploaded, as of a refusal.
void ReportUploadOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome,
                         const std::string& picture);

// The same for a waiting picture sent again, with the clipboard's sequence
// number that lets its link onto the clipboard. Linked: the link onto the
// clipboard only so, in the shared fields, and in a balloon whose click copies
// it. Refused: the picture set aside, with a balloon. Failed: nothing to see;
// it waits on. The schedule hears of each.
void ReportLateOutcome(const TOutcomePorts& ports, const TUploadOutcome& outcome, const std::string& picture,
                       std::optional<std::uint32_t> clipboard);
