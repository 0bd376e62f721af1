#pragma once
// A folder of the test's own under the system's temporary folder, removed
// with everything in it when the object goes.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix)
      : path_(std::filesystem::temp_directory_path() /
              (prefix + "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The path of an entry of the folder.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string File(const std::string& name) const { return *this / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};
