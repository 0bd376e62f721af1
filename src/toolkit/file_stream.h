#pragma once
// A file handle owner with the toolkit's stream errors: the seam between the
// portable core and the platform's file calls. On Windows every file name here,
// and every one these functions give back, is UTF-8 (file_stream.cpp says why).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class TFileStream {
 public:
  enum class Origin { Begin, Current, End };

  // CREATE_ALWAYS with no sharing on Windows; raises EFCreateError.
  static TFileStream Create(const std::string& fileName);
  // A file that did not exist before, never an existing one; nothing when the
  // system refuses, with its error code in errorCode.
  static std::optional<TFileStream> TryCreateNew(const std::string& fileName, int& errorCode);
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
// Whether an error code of a failed create says that the name is taken.
bool IsNameTakenError(int code);
// "Cannot create file "FULL PATH". SYSTEM TEXT", as EFCreateError carries it.
std::string CreateErrorMessage(const std::string& fileName, int code);
// "Cannot write file "FULL PATH": N of M bytes written. SYSTEM TEXT", as
// EWriteError carries it when a file took fewer bytes than it was given.
std::string ShortWriteMessage(const std::string& fileName, std::size_t written, std::size_t size, int code);
// Whether a file, not a directory, of that name exists.
bool FileExists(const std::string& fileName);
// Removes a file; false when it could not be removed.
bool DeleteFileByName(const std::string& fileName);
// Writes a file whole or not at all: `write` fills a part file beside it,
// which takes the file's place only once `write` has returned. A failure
// leaves the file as it was and no part behind. A name that is no plain file
// (a device, a pipe, a link) is written directly, as there is nothing to keep.
// Raises EFCreateError naming the file, or what `write` raises.
void WriteWholeFile(const std::string& fileName, const std::function<void(TFileStream& file)>& write);

#ifdef _WIN32
// The UTF-8 path as a ...W call takes it: UTF-16, and absolute under "\\?\"
// when it is longer than MAX_PATH.
std::wstring SystemPath(const std::string& path);
#endif
