#pragma once
// The texts that the UI thread and the upload workers share. Every access
// copies under one lock held only for the copy.

#include <mutex>
#include <string>

class TSharedFields {
 public:
  std::string Login() const { return Read(login_); }
  void SetLogin(const std::string& value) { Write(login_, value); }
  std::string Status() const { return Read(status_); }
  void SetStatus(const std::string& value) { Write(status_, value); }
  // Returns the status and leaves it empty, in one step.
  std::string TakeStatus();
  std::string Link() const { return Read(link_); }
  void SetLink(const std::string& value) { Write(link_, value); }
  std::string ImageFileName() const { return Read(imageFileName_); }
  void SetImageFileName(const std::string& value) { Write(imageFileName_, value); }

 private:
  std::string Read(const std::string& field) const;
  void Write(std::string& field, const std::string& value);

  mutable std::mutex lock_;
  std::string login_;
  std::string status_;
  std::string link_;
  std::string imageFileName_;
};
