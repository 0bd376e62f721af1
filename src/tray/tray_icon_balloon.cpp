#include <algorithm>

#include "tray/record_text.h"
#include "tray/tray_icon.h"

namespace {

constexpr size_t kBalloonTextChars = 255;
constexpr size_t kBalloonTitleChars = 63;

DWORD InfoFlags(TBalloonIconKind kind) {
  switch (kind) {
    case TBalloonIconKind::bkInfo:
      return NIIF_INFO;
    case TBalloonIconKind::bkWarning:
      return NIIF_WARNING;
    case TBalloonIconKind::bkError:
      return NIIF_ERROR;
    case TBalloonIconKind::bkNone:
      break;
  }
  return NIIF_NONE;
}

}  // namespace

void TTrayIcon::ClearBalloon() {
  record_.uFlags |= NIF_INFO;
  std::fill(std::begin(record_.szInfo), std::end(record_.szInfo), L'\0');
  UpdateInTray();
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, TBalloonIconKind iconKind,
                            std::uint8_t timeoutSeconds) {
  // One lock from the clearing request to the reset of the flags: a worker's
  // balloon and the UI thread's never interleave inside the record.
  std::lock_guard lock(recordLock_);
  ClearBalloon();
  record_.uFlags |= NIF_INFO;
  CopyCut(record_.szInfo, text, kBalloonTextChars);
  CopyCut(record_.szInfoTitle, title, kBalloonTitleChars);
  record_.uTimeout = static_cast<UINT>(timeoutSeconds) * 1000;
  record_.dwInfoFlags = InfoFlags(iconKind);
  bool shown = UpdateInTray();
  record_.uFlags = kTrayFlags;
  balloonText_ = text;
  return shown;
}

std::string TTrayIcon::BalloonText() {
  std::lock_guard lock(recordLock_);
  return balloonText_;
}
