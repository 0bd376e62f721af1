#include "capture/picture_file.h"

#include <exception>
#include <optional>

#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"

namespace {

// One folder: the full path written, or the failure that sends the picture on.
std::string WriteIntoFolder(const TEncodedBytes& bytes, const std::string& folder,
                            const std::function<std::string()>& drawName) {
  std::string path;
  std::optional<TFileStream> file;
  int code = 0;
  for (int i = 0; i < kPictureNameTries && !file; ++i) {
    path = folder + drawName();
    file = TFileStream::TryCreateNew(path, code);
    if (!file && !IsNameTakenError(code)) break;
  }
  if (!file) throw EFCreateError(CreateErrorMessage(path, code));

  std::size_t written = bytes.empty() ? 0 : file->Write(bytes.data(), bytes.size());
  if (written != bytes.size()) {
    int writeCode = LastOSErrorCode();
    file.reset();
    DeleteFileByName(path);  // a cut picture is worth nothing, and the name is ours
    throw EWriteError(ShortWriteMessage(path, written, bytes.size(), writeCode));
  }
  return ExpandFileName(path);
}

}  // namespace

std::string WriteNewPictureFile(const TEncodedBytes& bytes, const std::vector<std::string>& folders,
                                const std::function<std::string()>& drawName) {
  std::exception_ptr first;
  for (const std::string& folder : folders) {
    try {
      return WriteIntoFolder(bytes, folder, drawName);
    } catch (const EStreamError&) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
  throw EFCreateError("Cannot create file: no folder to write the picture into");
}
