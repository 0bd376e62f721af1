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
  idle = uploads_ == 0;
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
