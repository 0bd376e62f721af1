#pragma once
// The texts that the UI thread and the upload workers share. Every access
// copies under one lock held only for the copy.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/resend_schedule.h"

class TSharedFields {
 public:
  std::string Login() const { return Read(login_); }
  void SetLogin(const std::string& value) { Write(login_, value); }
  std::string Status() const { return Read(status_); }
  void SetStatus(const std::string& value) { Write(status_, value); }
  // Returns the status and leaves it empty, in one step.
  std::string TakeStatus();
  // The same, and whether no upload is under way then and no news waits: the
  // slot is empty and stays so until the next BeginUpload, so nobody need look
  // at it before.
  std::string TakeStatus(bool& idle);
  // What the workers have to tell the resend schedule, before their EndUpload.
  void PostResendNews(TResendNews news);
  std::vector<TResendNews> TakeResendNews();
  // The text of the balloon that shows a late upload's link, and that link;
  // the link, when the text is that balloon's.
  void SetLateBalloon(const std::string& text, const std::string& link);
  std::optional<std::string> LateBalloonLink(const std::string& text) const;

  // Counts the uploads under way, under the same lock as the status slot. A
  // worker writes its status before its EndUpload.
  void BeginUpload();
  void EndUpload();
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
  int uploads_ = 0;
  std::vector<TResendNews> news_;
  std::string lateBalloonText_;
  std::string lateBalloonLink_;
};
