#include "upload/http/reply_reader.h"

#include <algorithm>
#include <cstring>

#include "upload/socket/exceptions.h"

namespace {

void AppendWithinLimit(std::string& sink, const char* data, std::size_t count, std::size_t sinkLimit) {
  if (count > sinkLimit - std::min(sinkLimit, sink.size()))
    throw ENetMaxReplySizeExceeded("Max reply size exceeded.");
  sink.append(data, count);
}

}  // namespace

TNetReplyReader::TNetReplyReader(TNetByteSource& source, std::size_t recvBufferSize)
    : source_(source), buffer_(recvBufferSize > 0 ? recvBufferSize : 1) {}

bool TNetReplyReader::Fill() {
  if (start_ < end_) return true;
  start_ = end_ = 0;
  if (closed_) return false;
  std::size_t n = source_.ReceiveSome(buffer_.data(), buffer_.size());
  if (n == 0) {
    closed_ = true;
    return false;
  }
  end_ = n;
  received_ = true;
  return true;
}

std::string TNetReplyReader::ReadLn(std::size_t maxLength) {
  std::string line;
  bool any = false;
  for (;;) {
    if (!Fill()) {
      if (!any) throw ENetConnClosedGracefully("Connection Closed Gracefully.");
      break;
    }
    any = true;
    const char* from = buffer_.data() + start_;
    const char* lf = static_cast<const char*>(std::memchr(from, '\n', end_ - start_));
    std::size_t take = lf != nullptr ? static_cast<std::size_t>(lf - from) : end_ - start_;
    line.append(from, take);
    start_ += take;
    if (lf != nullptr) {
      ++start_;
      break;
    }
    // One byte of slack for a CR that the LF will remove.
    if (line.size() > maxLength + 1) throw ENetReadLnMaxLineLengthExceeded("Max line length exceeded.");
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > maxLength) throw ENetReadLnMaxLineLengthExceeded("Max line length exceeded.");
  return line;
}

bool TNetReplyReader::ReadBytes(std::size_t count, std::string& sink, std::size_t sinkLimit) {
  while (count > 0) {
    if (!Fill()) return false;
    std::size_t take = std::min(count, end_ - start_);
    AppendWithinLimit(sink, buffer_.data() + start_, take, sinkLimit);
    start_ += take;
    count -= take;
  }
  return true;
}

void TNetReplyReader::ReadToClose(std::string& sink, std::size_t sinkLimit) {
  while (Fill()) {
    AppendWithinLimit(sink, buffer_.data() + start_, end_ - start_, sinkLimit);
    start_ = end_;
  }
  // Nothing but the close marks the end here: a cut link must not pass.
  if (!source_.EndWasClean())
    throw ENetReplyIncomplete("Reply cut short: the connection ended without the server's closing message.");
}
