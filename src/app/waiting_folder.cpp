#include "app/waiting_folder.h"

#include <algorithm>
#include <string_view>

#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"
#include "toolkit/folder_files.h"
#include "toolkit/text.h"

namespace {

std::vector<TFolderFile> Pictures(const std::string& folder) {
  std::vector<TFolderFile> files = folder.empty() ? std::vector<TFolderFile>() : FolderFiles(folder);
  std::erase_if(files, [](const TFolderFile& file) {
    const std::string_view name = file.Name;
    return name.size() <= 4 || !SameTextIgnoringCase(name.substr(name.size() - 4), ".jpg");
  });
  return files;
}

std::int64_t SizeOf(const std::string& path) {
  try {
    return TFileStream::OpenRead(path).Size();
  } catch (const EStreamError&) {
    return 0;  // the move tells whether it is there
  }
}

// "NAME.jpg", else "NAME (2).jpg" and so on: the new path, or none.
std::string MoveUnderFreeName(const std::string& picture, const std::string& folder) {
  if (folder.empty() || !ForceFolder(folder)) return {};
  std::string name = picture.substr(picture.find_last_of("\\/:") + 1);
  std::size_t dot = name.rfind('.');
  std::string stem = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot);
  for (int n = 1; n <= 100; ++n) {
    std::string target =
        PathInFolder(folder, n == 1 ? name : stem + " (" + std::to_string(n) + ")" + extension);
    if (MoveFileNoReplace(picture, target)) return target;
  }
  return {};
}

}  // namespace

TKeptPicture TWaitingFolder::Keep(const std::string& picture) {
  std::lock_guard lock(keepLock_);
  std::vector<TFolderFile> waiting = Pictures(folders_.Waiting);
  std::int64_t bytes = SizeOf(picture);
  for (const TFolderFile& file : waiting) bytes += file.Size;
  if (waiting.size() >= kMostWaitingPictures || bytes > kMostWaitingBytes)
    return {TKeptPicture::TKind::Full, picture};
  std::string kept = MoveUnderFreeName(picture, folders_.Waiting);
  if (kept.empty()) return {TKeptPicture::TKind::NotMoved, picture};
  return {TKeptPicture::TKind::Kept, kept};
}

std::vector<std::string> TWaitingFolder::Waiting() const {
  std::vector<TFolderFile> pictures = Pictures(folders_.Waiting);
  std::sort(pictures.begin(), pictures.end(), [](const TFolderFile& a, const TFolderFile& b) {
    return a.WriteTime != b.WriteTime ? a.WriteTime < b.WriteTime : a.Name < b.Name;
  });
  std::vector<std::string> paths;
  for (TFolderFile& picture : pictures) paths.push_back(std::move(picture.Path));
  return paths;
}

std::string TWaitingFolder::SetAside(const std::string& picture) {
  std::string moved = MoveUnderFreeName(picture, folders_.Refused);
  return moved.empty() ? picture : moved;
}
