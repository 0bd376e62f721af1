#include "app/status_notifier.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusRules, EachOutcomeGivesItsBalloonKeepingCase) {
  struct Case {
    std::string status;
    std::optional<std::string> balloon;
  } cases[] = {
      {"error", "Изображение не загружено"},
      {"error\r\n", "Изображение не загружено"},
      {"good", std::nullopt},
      {" good\n", std::nullopt},
      {"max size", "Слишком большой скриншот"},
      {"max size\r\n", "Слишком большой скриншот"},
      {"Error", "Не известная ошибка"},
      {"ERROR", "Не известная ошибка"},
      {"Good", "Не известная ошибка"},
      {"max  size", "Не известная ошибка"},
      {"<html>404</html>", "Не известная ошибка"},
      {"   ", std::nullopt},
      {"\r\n\r\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorBalloonText(c.status), c.balloon) << testing::PrintToString(c.status);
}

}  // namespace
