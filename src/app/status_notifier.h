#pragma once
// The upload status notifier: what an upload's outcome, as the worker left it
// in the status slot, tells the user, and the tick that shows it.

#include <cstddef>
#include <optional>
#include <string>

#include "toolkit/text.h"

// The error balloon's text for a taken status, or nothing to show.
std::optional<std::string> ErrorBalloonText(const std::string& takenStatus);

// What an accepted upload leaves in the status slot.
inline constexpr char kStatusGood[] = "good";
// What a failed exchange leaves there: the service's own word for a picture
// it did not take, so the user sees the same balloon.
inline constexpr char kStatusNotUploaded[] = "error";

inline constexpr char kErrorBalloonTitle[] = "Ошибка";
inline constexpr unsigned kErrorBalloonSeconds = 30;

// A picture whose exchange failed, kept to be sent again.
inline constexpr char kKeptBalloonText[] =
    "Скриншот не загружен: сервис недоступен. Он сохранён в папке «Изображения\\Pondix Shot\\Waiting» "
    "и будет отправлен, как только сервис снова ответит.";
// ... left where it was, its path after this.
inline constexpr char kFolderFullBalloonText[] =
    "Скриншот не загружен: сервис недоступен. Папка «Изображения\\Pondix Shot\\Waiting» переполнена, "
    "поэтому он не будет отправлен позже. Файл остался здесь: ";
// A waiting picture's link, after one of these; a click on the balloon copies it.
inline constexpr char kLateBalloonTitle[] = "Уведомление";
inline constexpr char kLateCopiedBalloonText[] = "Отложенный скриншот загружен, ссылка в буфере обмена: ";
inline constexpr char kLateLinkBalloonText[] =
    "Отложенный скриншот загружен. Щёлкните здесь, чтобы скопировать ссылку: ";
inline constexpr unsigned kLateBalloonSeconds = 30;

// A waiting picture the service refused: what the refusal's own balloon
// says, and where the picture now lies.
std::string LateRefusalBalloonText(const std::string& reply, const std::string& path);

inline constexpr char kTrayHint[] = "Pondix Screenshot Loader";
// The tooltip, with how many pictures wait when any do.
std::string TrayHint(std::size_t waiting);

#ifdef _WIN32
#include "tray/tray_icon.h"

// One tick: shows the error balloon that a status taken from the slot calls for, if any.
void ReportUploadStatus(const std::string& takenStatus, TTrayIcon& trayIcon);
#endif
