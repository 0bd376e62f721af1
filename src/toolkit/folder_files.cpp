#include "toolkit/folder_files.h"

std::string PathInFolder(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  constexpr char kSeparator = '\\';
#else
  constexpr char kSeparator = '/';
#endif
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') return folder + kSeparator + name;
  return folder + name;
}

#ifdef _WIN32
#include <windows.h>

#include "toolkit/file_stream.h"
#include "toolkit/handles.h"
#include "toolkit/text.h"

namespace {
struct FindCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};
using UniqueFind = UniqueHandle<HANDLE, FindCloser>;

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
}  // namespace

std::vector<TFolderFile> FolderFiles(const std::string& folder) {
  std::vector<TFolderFile> files;
  WIN32_FIND_DATAW found{};
  HANDLE first = FindFirstFileExW(SystemPath(PathInFolder(folder, "*")).c_str(), FindExInfoBasic, &found,
                                  FindExSearchNameMatch, nullptr, 0);
  if (first == INVALID_HANDLE_VALUE) return files;
  UniqueFind find(first);
  do {
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
    TFolderFile file;
    file.Name = WideToUtf8(found.cFileName);
    file.Path = PathInFolder(folder, file.Name);
    file.Size = static_cast<std::int64_t>((static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) |
                                          found.nFileSizeLow);
    file.WriteTime =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                  found.ftLastWriteTime.dwLowDateTime);
    files.push_back(std::move(file));
  } while (FindNextFileW(find.get(), &found));
  return files;
}

bool ForceFolder(const std::string& folder) {
  // Each folder on the way, from the top; those that exist refuse harmlessly.
  for (std::size_t at = folder.find_first_of("\\/", 1); at != std::string::npos;
       at = folder.find_first_of("\\/", at + 1))
    CreateDirectoryW(SystemPath(folder.substr(0, at)).c_str(), nullptr);
  CreateDirectoryW(SystemPath(folder).c_str(), nullptr);
  return IsFolder(folder);
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING a name that is taken stays its file's.
  return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                     MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
}

#else
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

std::vector<TFolderFile> FolderFiles(const std::string& folder) {
  std::vector<TFolderFile> files;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return files;
  while (const dirent* entry = ::readdir(dir.get())) {
    TFolderFile file;
    file.Name = entry->d_name;
    file.Path = PathInFolder(folder, file.Name);
    struct stat info {};
    if (::lstat(file.Path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    file.Size = info.st_size;
    file.WriteTime = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    files.push_back(std::move(file));
  }
  return files;
}

bool ForceFolder(const std::string& folder) {
  for (std::size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1))
    ::mkdir(folder.substr(0, at).c_str(), 0755);
  ::mkdir(folder.c_str(), 0755);
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

#endif
