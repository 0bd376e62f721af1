#include "app/resend_schedule.h"

#include <algorithm>

void TResendSchedule::Refresh() { ports_.ShowCount(Waiting().size()); }

void TResendSchedule::Begin() {
  begun_ = true;
  if (!Waiting().empty()) Arm(std::chrono::milliseconds(0));
}

void TResendSchedule::Take(const TResendNews& news) {
  using TKind = TResendNews::TKind;
  if (news.Kind == TKind::Kept) {
    if (news.Clipboard) clipboard_[news.Path] = *news.Clipboard;
    Refresh();
    if (begun_ && !inFlight_ && !armed_) Arm(pause_);
    return;
  }
  if (news.Kind == TKind::Answered) {
    // The capture's own upload just reached the service: so will these.
    if (!begun_ || inFlight_) return;
  } else {
    inFlight_.reset();
  }
  if (news.Kind == TKind::NotSent) {
    pause_ = std::min(pause_ * 2, kLongestPause);
    Arm(pause_);
    return;
  }
  if (auto it = clipboard_.find(news.Path); it != clipboard_.end()) {
    // Our own late link is no change of the user's: the next late link may follow it.
    if (news.Kind == TKind::Sent && news.Clipboard) {
      for (auto& [path, sequence] : clipboard_)
        if (path != news.Path && sequence == it->second) sequence = *news.Clipboard;
    }
    clipboard_.erase(news.Path);
  }
  if (news.Kind == TKind::Refused) refused_.insert(news.Path);
  pause_ = kFirstPause;
  SendNext();
}

void TResendSchedule::TimerTick() {
  armed_ = false;
  if (!inFlight_) SendNext();
}

std::vector<std::string> TResendSchedule::Waiting() {
  std::vector<std::string> waiting = ports_.Waiting();
  std::erase_if(waiting, [this](const std::string& path) { return refused_.contains(path); });
  return waiting;
}

void TResendSchedule::SendNext() {
  std::vector<std::string> waiting = Waiting();
  ports_.ShowCount(waiting.size());
  if (armed_) {
    ports_.SetTimer(std::nullopt);
    armed_ = false;
  }
  if (waiting.empty()) {
    pause_ = kFirstPause;
    return;
  }
  inFlight_ = waiting.front();
  auto it = clipboard_.find(*inFlight_);
  ports_.Send(*inFlight_, it == clipboard_.end() ? std::nullopt : std::optional(it->second));
}

void TResendSchedule::Arm(std::chrono::milliseconds pause) {
  ports_.SetTimer(pause);
  armed_ = true;
}
