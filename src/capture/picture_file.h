#pragma once
// Where a grab puts its picture: a new file under a drawn name, in the first
// of its folders that takes it. A file that exists is never replaced, and a
// picture that cannot be written whole leaves nothing behind.

#include <functional>
#include <string>
#include <vector>

#include "capture/encoded_bytes.h"

// Names drawn for one folder before it counts as full: with half of all names
// taken, every one of them is taken once in 2^64 grabs.
inline constexpr int kPictureNameTries = 64;

// Writes the bytes to a new file named by drawName() in the first folder that
// takes them and returns the file's full path. Each folder is "" for the
// current directory or ends with a separator. A taken name is drawn again; a
// folder that refuses the file, or a disk that cannot hold it, passes the
// picture on to the next folder. Raises the first folder's failure
// (EFCreateError, EWriteError) when none takes it.
std::string WriteNewPictureFile(const TEncodedBytes& bytes, const std::vector<std::string>& folders,
                                const std::function<std::string()>& drawName);

#ifdef _WIN32
// The current directory, then the executable's folder, then the user's
// temporary folder: a program started at logon runs in the system folder,
// which it cannot write.
std::vector<std::string> DefaultPictureFolders();
#endif
