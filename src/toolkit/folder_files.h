#pragma once
// The files of one folder, and a move that never takes another file's place.
// Paths are UTF-8; Windows gets them as UTF-16.

#include <cstdint>
#include <string>
#include <vector>

struct TFolderFile {
  std::string Path;  // the folder's path, a separator, the name
  std::string Name;
  std::int64_t Size = 0;
  // When the file was last written, comparable with other files' on this system.
  std::int64_t WriteTime = 0;
};

// The folder's path, the system's separator unless it ends with one, the name.
std::string PathInFolder(const std::string& folder, const std::string& name);
// The plain files right in the folder (no folders, no links), in no order;
// none when it cannot be read.
std::vector<TFolderFile> FolderFiles(const std::string& folder);
// The folder and every missing one above it; false when it is not there after.
bool ForceFolder(const std::string& folder);
// Moves the file to a name that no file holds, onto another disk too; false,
// with both names as they were, when the name is taken or the move fails.
bool MoveFileNoReplace(const std::string& from, const std::string& to);
