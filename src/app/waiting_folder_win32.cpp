#include "app/waiting_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <memory>
#include <shlobj.h>

#include "toolkit/folder_files.h"
#include "toolkit/text.h"

namespace {

struct TaskMemoryCloser {
  void operator()(PWSTR memory) const { CoTaskMemFree(memory); }
};

std::string PicturesFolder() {
  PWSTR path = nullptr;
  HRESULT result = SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &path);
  // The system allocates the path, also when it fails.
  std::unique_ptr<wchar_t, TaskMemoryCloser> owned(path);
  if (FAILED(result) || path == nullptr) return {};
  return WideToUtf8(path);
}

}  // namespace

TWaitingFolders DefaultWaitingFolders() {
  std::string pictures = PicturesFolder();
  if (pictures.empty()) return {};
  std::string own = PathInFolder(pictures, "Pondix Shot");
  return {PathInFolder(own, "Waiting"), PathInFolder(own, "Refused")};
}
