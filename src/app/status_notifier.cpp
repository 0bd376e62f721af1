#include "app/status_notifier.h"

#include "toolkit/text.h"

std::optional<std::string> ErrorBalloonText(const std::string& takenStatus) {
  std::string status = Trim(takenStatus);
  if (status == kStatusNotUploaded) return "Изображение не загружено";
  if (status == kStatusGood) return std::nullopt;
  if (status == "max size") return "Слишком большой скриншот";
  if (!status.empty()) return "Не известная ошибка";
  return std::nullopt;
}

std::string LateRefusalBalloonText(const std::string& reply, const std::string& path) {
  std::optional<std::string> reason = ErrorBalloonText(reply);
  return "Сервис не принял отложенный скриншот" + (reason ? " («" + *reason + "»)" : std::string()) +
         ", больше он отправляться не будет. Файл лежит здесь: " + path;
}

std::string TrayHint(std::size_t waiting) {
  if (waiting == 0) return kTrayHint;
  std::size_t ones = waiting % 10, tens = waiting % 100 / 10;
  const char* words = tens != 1 && ones == 1                ? " скриншот ждёт отправки"
                      : tens != 1 && ones >= 2 && ones <= 4 ? " скриншота ждут отправки"
                                                            : " скриншотов ждут отправки";
  return std::string(kTrayHint) + ": " + std::to_string(waiting) + words;
}

#ifdef _WIN32
void ReportUploadStatus(const std::string& takenStatus, TTrayIcon& trayIcon) {
  std::optional<std::string> text = ErrorBalloonText(takenStatus);
  if (text) trayIcon.ShowBalloon(kErrorBalloonTitle, *text, TBalloonIconKind::bkError, kErrorBalloonSeconds);
}
#endif
