#pragma once
// An application object for the whole test program, and a stand-in for the
// shell's notification call that records every request.

#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/message_pump.h"
#include "toolkit/application.h"
#include "toolkit/text.h"
#include "tray/tray_icon.h"
#include "tray/tray_icon_handler.h"

// What every request carries, in the SDK's own names; a balloon adds NIF_INFO.
constexpr UINT kIconTipAndCallback = NIF_MESSAGE | NIF_ICON | NIF_TIP;

struct ShellRequest {
  DWORD message;
  NOTIFYICONDATAW record;
};

class ShellRecorder {
 public:
  explicit ShellRecorder(BOOL answer = TRUE) : answer_(answer) {
    TTrayIcon::SetShellNotifyCall([this](DWORD message, NOTIFYICONDATAW* record) {
      std::lock_guard lock(lock_);
      requests_.push_back({message, *record});
      return answer_;
    });
  }
  ~ShellRecorder() {
    TTrayIcon::SetShellNotifyCall(
        [](DWORD message, NOTIFYICONDATAW* record) { return Shell_NotifyIconW(message, record); });
  }
  std::vector<ShellRequest> Take() {
    std::lock_guard lock(lock_);
    return std::exchange(requests_, {});
  }
  void SetAnswer(BOOL answer) { answer_ = answer; }

 private:
  std::mutex lock_;
  std::vector<ShellRequest> requests_;
  BOOL answer_;
};

inline std::vector<DWORD> Messages(const std::vector<ShellRequest>& requests) {
  std::vector<DWORD> m;
  for (const auto& r : requests) m.push_back(r.message);
  return m;
}

// The record's texts as UTF-8, for comparing with the program's texts.
inline std::string Utf8(const WCHAR* text) { return WideToUtf8(text); }

class ApplicationEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    RegisterTaskbarCreatedMessage();
    application_ = new TApplication();
    application_->Initialize();
  }
  void TearDown() override { delete application_; }

 private:
  TApplication* application_ = nullptr;
};
