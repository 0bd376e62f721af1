#include "upload/http/reply.h"

#include <algorithm>
#include <climits>

#include "upload/socket/exceptions.h"
#include "toolkit/text.h"

namespace {

// A reply's Content-Length is untrusted: reserve no more than this up front
// and let the body grow as bytes really arrive.
constexpr std::size_t kReserveBound = 64 * 1024;

// Hexadecimal digits only; anything else, or nothing, counts as 0.
std::int64_t ParseChunkSize(const std::string& text) {
  if (text.empty()) return 0;
  std::int64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return 0;
    if (value > (INT64_MAX >> 4)) return 0;
    value = (value << 4) | digit;
  }
  return value;
}

void TakeReplyFields(TNetHTTPResponse& response) {
  const TNetHeaderList& raw = response.RawHeaders;
  response.Connection = raw.Values("Connection");
  response.ContentVersion = raw.Values("Content-Version");
  response.ContentEncoding = raw.Values("Content-Encoding");
  response.ContentLanguage = raw.Values("Content-Language");
  response.ContentType = raw.Values("Content-Type");
  response.ContentLength = ParseInteger(raw.Values("Content-Length"), -1);
  response.Location = raw.Values("Location");
  response.Server = raw.Values("Server");
  response.ProxyConnection = raw.Values("Proxy-Connection");
}

void ReadChunkedBody(TNetReplyReader& reader, std::string& sink, const TNetReplyLimits& limits) {
  auto nextSize = [&] {
    std::string line = reader.ReadLn(limits.MaxLineLength);
    std::size_t space = line.find(' ');
    if (space != std::string::npos) line.resize(space);
    return ParseChunkSize(line);
  };
  for (std::int64_t size = nextSize(); size > 0; size = nextSize()) {
    auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(size), SIZE_MAX));
    if (!reader.ReadBytes(count, sink, limits.MaxReplySize))
      throw ENetConnClosedGracefully("Connection Closed Gracefully.");
    reader.ReadLn(limits.MaxLineLength);
  }
  reader.ReadLn(limits.MaxLineLength);
}

}  // namespace

std::int64_t ParseInteger(const std::string& text, std::int64_t fallback) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return fallback;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return fallback;
    int digit = text[i] - '0';
    if (value > (INT64_MAX - digit) / 10) return fallback;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

int ParseStatusCode(const std::string& statusLine) {
  std::size_t space = statusLine.find(' ');
  if (space == std::string::npos) return -1;
  std::string rest = Trim(statusLine.substr(space + 1));
  std::string word = rest.substr(0, rest.find(' '));
  std::int64_t code = ParseInteger(word, INT64_MIN);
  if (code < INT_MIN || code > INT_MAX) return -1;
  return static_cast<int>(code);
}

void ReadReplyHead(TNetReplyReader& reader, TNetHTTPResponse& response, const TNetReplyLimits& limits) {
  int interim = 0;
  for (;;) {
    response.RawHeaders.Clear();
    response.ResponseText = reader.ReadLn(limits.MaxLineLength);
    response.ResponseCode = ParseStatusCode(response.ResponseText);
    std::size_t headSize = response.ResponseText.size() + 2;
    for (;;) {
      std::string line;
      try {
        line = reader.ReadLn(limits.MaxLineLength);
      } catch (const ENetConnClosedGracefully&) {
        throw ENetReplyIncomplete("Reply cut short: the connection closed inside the reply head.");
      }
      if (line.empty()) break;
      headSize += line.size() + 2;
      if (headSize > limits.MaxHeaderSize) throw ENetMaxHeaderSizeExceeded("Max header size exceeded.");
      response.RawHeaders.Add(std::move(line));
    }
    TakeReplyFields(response);
    // 101 is final: it switches the protocol.
    int code = response.ResponseCode;
    if (code != 100 && code != 102 && code != 103) return;
    if (++interim > limits.MaxInterimReplies)
      throw ENetMaxInterimRepliesExceeded("Max interim replies exceeded.");
  }
}

void ReadReplyBody(TNetReplyReader& reader, const TNetHTTPResponse& response, std::string& sink,
                   const TNetReplyLimits& limits) {
  if (response.ContentLength > 0) {
    auto length = static_cast<std::uint64_t>(response.ContentLength);
    sink.reserve(sink.size() + static_cast<std::size_t>(std::min<std::uint64_t>(length, kReserveBound)));
    std::size_t before = sink.size();
    if (!reader.ReadBytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, SIZE_MAX)), sink,
                          limits.MaxReplySize))
      throw ENetReplyIncomplete("Reply cut short: " + std::to_string(sink.size() - before) + " of " +
                                std::to_string(length) + " body bytes came before the connection closed.");
  } else if (response.TransferEncoding().find("chunked") != std::string::npos) {
    ReadChunkedBody(reader, sink, limits);
  } else if (!response.HasContentLength()) {
    reader.ReadToClose(sink, limits.MaxReplySize);
  }
}

std::string ReadReply(TNetReplyReader& reader, TNetHTTPResponse& response, const TNetReplyLimits& limits) {
  ReadReplyHead(reader, response, limits);
  int code = response.ResponseCode;
  bool redirect = (code / 100 == 3 && code != 304) || !response.Location.empty();
  if (redirect || code / 100 != 2) {
    std::string body;
    try {
      ReadReplyBody(reader, response, body, limits);
    } catch (const ENetException&) {
      // The status is the verdict; a broken body of a failing reply only
      // shortens the text it carries.
      reader.MarkBroken();
    }
    throw ENetHTTPProtocolException(code, response.ResponseText, std::move(body));
  }
  std::string body;
  if (code != 204) ReadReplyBody(reader, response, body, limits);
  return body;
}
