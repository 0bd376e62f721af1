#include "app/shared_fields.h"

std::string TSharedFields::Read(const std::string& field) const {
  std::lock_guard lock(lock_);
  return field;
}

void TSharedFields::Write(std::string& field, const std::string& value) {
  std::string copy = value;  // allocate outside the lock
  std::lock_guard lock(lock_);
  field.swap(copy);
}

std::string TSharedFields::TakeStatus() {
  bool idle = false;
  return TakeStatus(idle);
}

std::string TSharedFields::TakeStatus(bool& idle) {
  std::string taken;
  std::lock_guard lock(lock_);
  taken.swap(status_);
  idle = uploads_ == 0 && news_.empty();
  return taken;
}

void TSharedFields::BeginUpload() {
  std::lock_guard lock(lock_);
  ++uploads_;
}

void TSharedFields::EndUpload() {
  std::lock_guard lock(lock_);
  --uploads_;
}

void TSharedFields::PostResendNews(TResendNews news) {
  std::lock_guard lock(lock_);
  news_.push_back(std::move(news));
}

std::vector<TResendNews> TSharedFields::TakeResendNews() {
  std::vector<TResendNews> taken;
  std::lock_guard lock(lock_);
  taken.swap(news_);
  return taken;
}

void TSharedFields::SetLateBalloon(const std::string& text, const std::string& link) {
  std::string textCopy = text, linkCopy = link;
  std::lock_guard lock(lock_);
  lateBalloonText_.swap(textCopy);
  lateBalloonLink_.swap(linkCopy);
}

std::optional<std::string> TSharedFields::LateBalloonLink(const std::string& text) const {
  std::lock_guard lock(lock_);
  if (lateBalloonText_.empty() || text != lateBalloonText_) return std::nullopt;
  return lateBalloonLink_;
}
