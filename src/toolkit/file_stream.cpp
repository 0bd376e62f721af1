#include "toolkit/file_stream.h"

#include "toolkit/exceptions.h"

std::string CreateErrorMessage(const std::string& fileName, int code) {
  return "Cannot create file \"" + ExpandFileName(fileName) + "\". " + SysErrorMessage(code);
}

std::string ShortWriteMessage(const std::string& fileName, std::size_t written, std::size_t size, int code) {
  return "Cannot write file \"" + ExpandFileName(fileName) + "\": " + std::to_string(written) + " of " +
         std::to_string(size) + " bytes written. " + SysErrorMessage(code);
}

namespace {

std::string OpenErrorMessage(const std::string& fileName, int code) {
  return "Cannot open file \"" + ExpandFileName(fileName) + "\". " + SysErrorMessage(code);
}

}  // namespace

#ifdef _WIN32
#include <windows.h>

#include "toolkit/handles.h"
#include "toolkit/text.h"

namespace {
HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
constexpr std::intptr_t kInvalid = -1;  // INVALID_HANDLE_VALUE

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {  // the size it needs, its NUL included
    full.resize(n);
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  }
  if (n == 0 || n >= full.size()) return path;
  full.resize(n);
  return full;
}

}  // namespace

// Every path in the program is UTF-8 on Windows, as the user's folders may be
// named in letters that no ANSI code page holds; it becomes UTF-16 here, at
// the ...W call, and nowhere else. One longer than MAX_PATH is made absolute
// under "\\?\", which lifts the limit on every Windows (longPathAware needs
// a machine-wide policy that is off by default).
std::wstring SystemPath(const std::string& path) {
  std::wstring wide = Utf8ToWide(path);
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
  std::wstring full = FullPath(wide);
  if (full.size() < MAX_PATH) return wide;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC" + full.substr(1);
  return L"\\\\?\\" + full;
}

TFileStream TFileStream::Create(const std::string& fileName) {
  HANDLE h = CreateFileW(SystemPath(fileName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    int code = static_cast<int>(GetLastError());
    throw EFCreateError(CreateErrorMessage(fileName, code));
  }
  return TFileStream(reinterpret_cast<std::intptr_t>(h));
}

std::optional<TFileStream> TFileStream::TryCreateNew(const std::string& fileName, int& errorCode) {
  HANDLE h = CreateFileW(SystemPath(fileName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errorCode = static_cast<int>(GetLastError());
    return std::nullopt;
  }
  errorCode = 0;
  return TFileStream(reinterpret_cast<std::intptr_t>(h));
}

TFileStream TFileStream::OpenRead(const std::string& fileName) {
  HANDLE h = CreateFileW(SystemPath(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    int code = static_cast<int>(GetLastError());
    throw EFOpenError(OpenErrorMessage(fileName, code));
  }
  return TFileStream(reinterpret_cast<std::intptr_t>(h));
}

void TFileStream::Close() noexcept {
  if (handle_ != kInvalid) CloseHandle(AsHandle(handle_));
  handle_ = kInvalid;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  DWORD done = 0;
  if (!ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  DWORD done = 0;
  if (!WriteFile(AsHandle(handle_), buffer, static_cast<DWORD>(count), &done, nullptr)) return done;
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, Origin origin) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER position{};
  DWORD method = origin == Origin::Begin ? FILE_BEGIN : origin == Origin::Current ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(AsHandle(handle_), distance, &position, method)) return -1;
  return position.QuadPart;
}

std::int64_t TFileStream::Size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(handle_), &size)) return -1;
  return size.QuadPart;
}

std::string ExpandFileName(const std::string& fileName) { return WideToUtf8(FullPath(Utf8ToWide(fileName))); }

std::string SysErrorMessage(int code) {
  wchar_t* text = nullptr;
  DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  UniqueLocal owned(text);
  std::string result;
  if (n != 0 && text != nullptr) result = WideToUtf8(std::wstring(text, n));
  // The system ends its texts with a line break and often a full stop; the
  // message formats add their own punctuation.
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' || result.back() == '.'))
    result.pop_back();
  return result;
}

int LastOSErrorCode() { return static_cast<int>(GetLastError()); }

bool FileExists(const std::string& fileName) {
  DWORD attributes = GetFileAttributesW(SystemPath(fileName).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DeleteFileByName(const std::string& fileName) { return DeleteFileW(SystemPath(fileName).c_str()) != 0; }

namespace {

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return MoveFileExW(SystemPath(source).c_str(), SystemPath(target).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// A name that is free, or held by a file on a disk that is neither a folder nor a link.
bool IsPlainFileOrFree(const std::string& fileName) {
  HANDLE h =
      CreateFileW(SystemPath(fileName).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_ACCESS_DENIED;
  UniqueKernelHandle owned(h);
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

}  // namespace

bool IsNameTakenError(int code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

#else
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::intptr_t kInvalid = -1;
int Fd(std::intptr_t h) { return static_cast<int>(h); }
}  // namespace

TFileStream TFileStream::Create(const std::string& fileName) {
  int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    int code = errno;
    throw EFCreateError(CreateErrorMessage(fileName, code));
  }
  return TFileStream(fd);
}

std::optional<TFileStream> TFileStream::TryCreateNew(const std::string& fileName, int& errorCode) {
  int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    errorCode = errno;
    return std::nullopt;
  }
  errorCode = 0;
  return TFileStream(fd);
}

TFileStream TFileStream::OpenRead(const std::string& fileName) {
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
      errno = EISDIR;
    }
  }
  if (fd < 0) {
    int code = errno;
    throw EFOpenError(OpenErrorMessage(fileName, code));
  }
  return TFileStream(fd);
}

void TFileStream::Close() noexcept {
  if (handle_ != kInvalid) ::close(Fd(handle_));
  handle_ = kInvalid;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  for (;;) {
    ssize_t n = ::read(Fd(handle_), buffer, count);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return 0;
  }
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  const char* p = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(Fd(handle_), p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, Origin origin) {
  int whence = origin == Origin::Begin ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
  return ::lseek(Fd(handle_), static_cast<off_t>(offset), whence);
}

std::int64_t TFileStream::Size() {
  struct stat st {};
  if (::fstat(Fd(handle_), &st) != 0) return -1;
  return st.st_size;
}

std::string ExpandFileName(const std::string& fileName) {
  if (!fileName.empty() && fileName[0] == '/') return fileName;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return fileName;
  std::string base(cwd);
  if (base.empty() || base.back() != '/') base += '/';
  return base + fileName;
}

std::string SysErrorMessage(int code) { return std::strerror(code); }

int LastOSErrorCode() { return errno; }

bool FileExists(const std::string& fileName) {
  struct stat info;
  return ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DeleteFileByName(const std::string& fileName) { return ::unlink(fileName.c_str()) == 0; }

namespace {

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool IsPlainFileOrFree(const std::string& fileName) {
  struct stat info {};
  if (::lstat(fileName.c_str(), &info) != 0) return errno != EACCES;
  return S_ISREG(info.st_mode);
}

}  // namespace

bool IsNameTakenError(int code) { return code == EEXIST; }

#endif

TFileStream::TFileStream(TFileStream&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

TFileStream& TFileStream::operator=(TFileStream&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

TFileStream::~TFileStream() { Close(); }

void WriteWholeFile(const std::string& fileName, const std::function<void(TFileStream& file)>& write) {
  if (!IsPlainFileOrFree(fileName)) {
    TFileStream file = TFileStream::Create(fileName);
    write(file);
    return;
  }
  std::string part;
  std::optional<TFileStream> file;
  int code = 0;
  for (int i = 0; i < 100 && !file; ++i) {
    part = fileName + ".part" + (i == 0 ? std::string() : std::to_string(i));
    file = TFileStream::TryCreateNew(part, code);
    if (!file && !IsNameTakenError(code)) break;
  }
  if (!file) throw EFCreateError(CreateErrorMessage(fileName, code));
  try {
    write(*file);
  } catch (...) {
    file.reset();
    DeleteFileByName(part);
    throw;
  }
  file.reset();
  if (!ReplaceFileWith(part, fileName)) {
    int replaceCode = LastOSErrorCode();
    DeleteFileByName(part);
    throw EFCreateError(CreateErrorMessage(fileName, replaceCode));
  }
}
