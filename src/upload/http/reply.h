#pragma once
// Reading and judging one reply, apart from any socket: the HTTP client and
// the fuzzers both drive it through a TNetReplyReader.

#include <cstddef>
#include <cstdint>
#include <string>

#include "upload/http/records.h"
#include "upload/http/reply_reader.h"

// What one reply may hold: the bytes of a peer are untrusted input.
struct TNetReplyLimits {
  // The longest status or header line.
  std::size_t MaxLineLength = 16384;
  // Far beyond any verdict or version text; a longer body is refused.
  std::size_t MaxReplySize = 16u << 20;
  // The bytes of one reply's status line and header block, line ends
  // counted. Real replies carry a few hundred bytes of headers and at most
  // one "100 Continue"; these only stop a peer that never ends its head.
  std::size_t MaxHeaderSize = 1u << 20;
  // Interim replies (100 Continue, 102 Processing, 103 Early Hints) skipped
  // before the real one.
  int MaxInterimReplies = 32;
};

// The second blank-separated word of the status line as an integer, else -1.
int ParseStatusCode(const std::string& statusLine);
// An optionally signed decimal integer, else fallback.
std::int64_t ParseInteger(const std::string& text, std::int64_t fallback);

// Status line and header block, skipping up to MaxInterimReplies interim replies;
// fills the reply fields. A close inside the head raises ENetReplyIncomplete.
// Raises ENetMaxHeaderSizeExceeded or ENetMaxInterimRepliesExceeded.
void ReadReplyHead(TNetReplyReader& reader, TNetHTTPResponse& response, const TNetReplyLimits& limits);
// The body by Content-Length, chunks or close, appended to sink.
void ReadReplyBody(TNetReplyReader& reader, const TNetHTTPResponse& response, std::string& sink,
                   const TNetReplyLimits& limits);
// Head, status judgement and body: returns the body of a successful reply,
// raises ENetHTTPProtocolException for a failing status or a redirect.
std::string ReadReply(TNetReplyReader& reader, TNetHTTPResponse& response, const TNetReplyLimits& limits);
