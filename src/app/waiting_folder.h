#pragma once
// The folder where pictures whose upload failed wait to be sent again, and the
// one beside it for those that the service refused when they were. A picture
// there never takes another's name, and nothing leaves them unsent but by the
// user's hand.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// What may wait at most, so that however long the service stays away the
// pictures cannot fill the user's disk.
inline constexpr std::size_t kMostWaitingPictures = 100;
inline constexpr std::int64_t kMostWaitingBytes = 200 * 1024 * 1024;

struct TWaitingFolders {
  std::string Waiting;  // none: no picture waits, as where the user has no profile
  std::string Refused;
};

#ifdef _WIN32
// "Pondix Shot\Waiting" and "Pondix Shot\Refused" in the user's Pictures: the
// user finds them where pictures are, they are the user's to write whatever
// folder the program runs from, and the uninstaller leaves them.
TWaitingFolders DefaultWaitingFolders();
#endif

// Where a picture whose exchange failed is now.
struct TKeptPicture {
  enum class TKind {
    Kept,      // in the folder of waiting pictures, at Path
    Full,      // left where it was: as many pictures or bytes wait as may
    NotMoved,  // left where it was: the folder could not be made or written
  };
  TKind Kind = TKind::NotMoved;
  std::string Path;
};

// Safe from any thread.
class TWaitingFolder {
 public:
  explicit TWaitingFolder(TWaitingFolders folders) : folders_(std::move(folders)) {}

  // Moves the picture into the folder under its own name, or where that is
  // taken under "NAME (2).jpg" and so on.
  TKeptPicture Keep(const std::string& picture);
  // The pictures that wait, oldest first.
  std::vector<std::string> Waiting() const;
  // A picture that the service refused goes beside, never to be sent again;
  // returns where it is then (where it was, when it cannot be moved).
  std::string SetAside(const std::string& picture);

 private:
  TWaitingFolders folders_;
  // Two failures at once count each other against the bounds.
  std::mutex keepLock_;
};
