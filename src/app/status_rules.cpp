#include "app/status_rules.h"

#include "toolkit/trim.h"

std::optional<std::string> ErrorBalloonText(const std::string& takenStatus) {
  std::string status = Trim(takenStatus);
  if (status == kStatusNotUploaded) return "Изображение не загружено";
  if (status == kStatusGood) return std::nullopt;
  if (status == "max size") return "Слишком большой скриншот";
  if (!status.empty()) return "Не известная ошибка";
  return std::nullopt;
}
