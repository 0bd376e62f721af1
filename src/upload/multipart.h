#pragma once
// TNetMultiPartFormDataStream: a multipart/form-data body generated part by
// part while it is read, so a file is copied from disk in pieces and never
// held whole in memory.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/file_stream.h"
#include "upload/http/body_stream.h"
#include "upload/http/http_client.h"

class TNetFormDataField {
 public:
  // A file part has an open file and a non-empty file name.
  bool IsFile() const noexcept { return FieldStream.has_value() && !FileName.empty(); }

  std::string FieldName;
  std::string FieldValue;
  std::string FileName;
  std::string ContentType;
  std::optional<TFileStream> FieldStream;  // owned: closed with the part
  std::int64_t FileSize = 0;               // the file's size when the part was added
};

using TNetFormDataFields = std::vector<std::unique_ptr<TNetFormDataField>>;

class TNetMultiPartFormDataStream : public TNetBaseStream {
 public:
  // The boundary comes from the local time of creation, to the millisecond.
  TNetMultiPartFormDataStream();

  void AddValueField(const std::string& fieldName, const std::string& value);
  // Opens the file read-only, shared for reading only; raises EFOpenError.
  // The part names the file partFileName, or fileName as given when that is empty.
  void AddFilePart(const std::string& fieldName, const std::string& fileName, const std::string& contentType,
                   const std::string& partFileName = "");

  const std::string& PartBoundary() const noexcept { return boundary_; }
  const std::string& FormContentType() const noexcept { return contentType_; }
  const TNetFormDataFields& Fields() const noexcept { return fields_; }

  std::size_t Read(void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

 private:
  std::string PartHeader(const TNetFormDataField& field) const;
  std::string ClosingLine() const { return "--" + boundary_ + "--\r\n"; }

  std::string boundary_;
  std::string contentType_;
  TNetFormDataFields fields_;
  std::int64_t totalSize_ = 0;  // all parts, without the closing line

  bool initialized_ = false;
  std::size_t partIndex_ = 0;
  std::string pending_;
  std::size_t pendingStart_ = 0;
  TFileStream* copying_ = nullptr;
  std::int64_t position_ = 0;
};

// "--------" and the time as month, day, two-digit year, hour, minutes,
// seconds (two digits each) and milliseconds (three digits).
std::string MakePartBoundary(int year, int month, int day, int hour, int minute, int second, int millisecond);
// The content type that a file name's extension suggests.
std::string ContentTypeForFileName(const std::string& fileName);

// Sets the request's Content-Type to the form's and posts the form.
std::string PostForm(TNetHTTP& client, const TNetURI& address, TNetMultiPartFormDataStream& form);
