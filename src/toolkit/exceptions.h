#pragma once
// The toolkit's exception family. Each class reports its own name so that the
// command-line tool and tests can print "ClassName: message" as users see it.

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

// "ClassName: message" on one line, as a console shows a failure: a line
// break inside the message (socket errors carry one) becomes a space.
inline std::string DescribeException(const Exception& e) {
  std::string text = std::string(e.ClassName()) + ": ";
  const std::string& raw = e.Message();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    bool lineBreak = raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n';
    text += lineBreak ? ' ' : raw[i];
    if (lineBreak) ++i;
  }
  return text;
}

#define PSL_DECLARE_EXCEPTION(Name, Base)                             \
  class Name : public Base {                                          \
   public:                                                            \
    using Base::Base;                                                 \
    const char* ClassName() const noexcept override { return #Name; } \
  }

PSL_DECLARE_EXCEPTION(EStreamError, Exception);
PSL_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
PSL_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);
PSL_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
PSL_DECLARE_EXCEPTION(EReadError, EStreamError);
PSL_DECLARE_EXCEPTION(EWriteError, EStreamError);
PSL_DECLARE_EXCEPTION(EListError, Exception);
PSL_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
PSL_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
PSL_DECLARE_EXCEPTION(EOSError, Exception);
PSL_DECLARE_EXCEPTION(EOutOfResources, Exception);
PSL_DECLARE_EXCEPTION(ERegistryException, Exception);
