#include "upload/multipart.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "upload/socket/exceptions.h"
#include "toolkit/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string BoundaryFromClock() {
#ifdef _WIN32
  SYSTEMTIME now;
  GetLocalTime(&now);
  return MakePartBoundary(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                          now.wMilliseconds);
#else
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  return MakePartBoundary(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec, static_cast<int>(millis));
#endif
}

}  // namespace

std::string MakePartBoundary(int year, int month, int day, int hour, int minute, int second,
                             int millisecond) {
  char text[32];
  std::snprintf(text, sizeof text, "--------%02d%02d%02d%02d%02d%02d%03d", month % 100, day % 100, year % 100,
                hour % 100, minute % 100, second % 100, millisecond % 1000);
  return text;
}

std::string ContentTypeForFileName(const std::string& fileName) {
  static const struct {
    const char* extension;
    const char* type;
  } kTypes[] = {{".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"}, {".png", "image/png"},
                {".gif", "image/gif"},  {".bmp", "image/bmp"},   {".txt", "text/plain"},
                {".htm", "text/html"},  {".html", "text/html"}};
  std::size_t dot = fileName.rfind('.');
  if (dot != std::string::npos && fileName.find_first_of("/\\", dot) == std::string::npos) {
    std::string extension = fileName.substr(dot);
    for (const auto& entry : kTypes)
      if (SameTextIgnoringCase(extension, entry.extension)) return entry.type;
  }
  return "application/octet-stream";
}

TNetMultiPartFormDataStream::TNetMultiPartFormDataStream()
    : boundary_(BoundaryFromClock()), contentType_("multipart/form-data; boundary=" + boundary_) {}

std::string TNetMultiPartFormDataStream::PartHeader(const TNetFormDataField& field) const {
  std::string header =
      "--" + boundary_ + "\r\nContent-Disposition: form-data; name=\"" + field.FieldName + "\"";
  if (!field.IsFile()) return header + "\r\n\r\n" + field.FieldValue + "\r\n";
  return header + "; filename=\"" + field.FileName + "\"\r\nContent-Type: " + field.ContentType +
         "\r\nContent-Transfer-Encoding: binary\r\n\r\n";
}

void TNetMultiPartFormDataStream::AddValueField(const std::string& fieldName, const std::string& value) {
  auto field = std::make_unique<TNetFormDataField>();
  field->FieldName = fieldName;
  field->FieldValue = value;
  totalSize_ += static_cast<std::int64_t>(PartHeader(*field).size());
  fields_.push_back(std::move(field));
}

void TNetMultiPartFormDataStream::AddFilePart(const std::string& fieldName, const std::string& fileName,
                                              const std::string& contentType,
                                              const std::string& partFileName) {
  auto field = std::make_unique<TNetFormDataField>();
  field->FieldName = fieldName;
  field->FileName = partFileName.empty() ? fileName : partFileName;
  field->ContentType = contentType.empty() ? ContentTypeForFileName(fileName) : contentType;
  field->FieldStream.emplace(TFileStream::OpenRead(fileName));
  field->FileSize = field->FieldStream->Size();
  if (field->FileSize < 0) field->FileSize = 0;
  std::int64_t size = static_cast<std::int64_t>(PartHeader(*field).size()) + field->FileSize + 2;
  // If the part cannot be appended, unique_ptr closes the file again.
  fields_.push_back(std::move(field));
  totalSize_ += size;
}

std::size_t TNetMultiPartFormDataStream::Read(void* buffer, std::size_t count) {
  char* out = static_cast<char*>(buffer);
  if (!initialized_) {
    initialized_ = true;
    partIndex_ = 0;
    pending_.clear();
    pendingStart_ = 0;
    copying_ = nullptr;
    // A form without parts still sends its closing line, matching its size.
    if (fields_.empty()) {
      pending_ = ClosingLine();
      partIndex_ = 1;
    }
  }
  std::size_t placed = 0;
  while (placed < count) {
    bool pendingEmpty = pendingStart_ == pending_.size();
    if (partIndex_ >= fields_.size() && pendingEmpty && copying_ == nullptr) break;
    if (pendingEmpty && copying_ == nullptr) {
      pending_.clear();
      pendingStart_ = 0;
      TNetFormDataField& field = *fields_[partIndex_];
      pending_ = PartHeader(field);
      if (field.IsFile()) {
        copying_ = &*field.FieldStream;
        copying_->Seek(0, TFileStream::Origin::Begin);
      } else {
        ++partIndex_;
      }
    }
    std::size_t take = std::min(count - placed, pending_.size() - pendingStart_);
    std::memcpy(out + placed, pending_.data() + pendingStart_, take);
    pendingStart_ += take;
    placed += take;
    position_ += static_cast<std::int64_t>(take);

    if (copying_ != nullptr && placed < count) {
      std::size_t want = count - placed;
      std::size_t got = copying_->Read(out + placed, want);
      placed += got;
      position_ += static_cast<std::int64_t>(got);
      if (got < want) {
        copying_->Seek(0, TFileStream::Origin::Begin);
        copying_ = nullptr;
        ++partIndex_;
        pending_.assign("\r\n");
        pendingStart_ = 0;
      }
    }
    if (partIndex_ == fields_.size() && !fields_.empty()) {
      if (pendingStart_ == pending_.size()) {
        pending_.clear();
        pendingStart_ = 0;
      }
      pending_ += ClosingLine();
      ++partIndex_;
    }
  }
  return placed;
}

std::int64_t TNetMultiPartFormDataStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning:
      if (offset == 0) {
        initialized_ = false;
        position_ = 0;
        return 0;
      }
      return position_;
    case TSeekOrigin::soCurrent:
      return position_;
    case TSeekOrigin::soEnd:
      return totalSize_ + static_cast<std::int64_t>(ClosingLine().size());
  }
  return position_;
}

std::string PostForm(TNetHTTP& client, const TNetURI& address, TNetMultiPartFormDataStream& form) {
  client.Request().ContentType = form.FormContentType();
  return client.HttpPostText(address, form);
}
