#pragma once
// A file handle owner with the toolkit's stream errors: the seam between the
// portable core and the platform's file calls.

#include <cstddef>
#include <cstdint>
#include <string>

class TFileStream {
 public:
  enum class Origin { Begin, Current, End };

  // CREATE_ALWAYS with no sharing on Windows; raises EFCreateError.
  static TFileStream Create(const std::string& fileName);
  // Read-only, others may still read; raises EFOpenError.
  static TFileStream OpenRead(const std::string& fileName);

  TFileStream(TFileStream&& other) noexcept;
  TFileStream& operator=(TFileStream&& other) noexcept;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  ~TFileStream();

  // Both return the number of bytes really moved; a short count is not an error here.
  std::size_t Read(void* buffer, std::size_t count);
  std::size_t Write(const void* buffer, std::size_t count);
  std::int64_t Seek(std::int64_t offset, Origin origin);
  std::int64_t Size();

 private:
  explicit TFileStream(std::intptr_t handle) : handle_(handle) {}
  void Close() noexcept;

  std::intptr_t handle_;
};

// The file name made absolute against the current directory, as messages show it.
std::string ExpandFileName(const std::string& fileName);
// The system's text for an error code of the last failed file call.
std::string SysErrorMessage(int code);
int LastOSErrorCode();
// Whether a file, not a directory, of that name exists.
bool FileExists(const std::string& fileName);
// Removes a file; false when it could not be removed.
bool DeleteFileByName(const std::string& fileName);
