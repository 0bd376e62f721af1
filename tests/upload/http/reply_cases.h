#pragma once
// Replies and what the client must make of them, shared by the parser tests
// (bytes from memory) and the client tests (bytes from a loopback peer).

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "toolkit/exceptions.h"
#include "upload/socket/exceptions.h"

struct ReplyCase {
  const char* name;
  std::string reply;   // sent whole, then the peer closes
  std::string body{};  // the text returned when nothing is raised
  const char* raised = nullptr;
  std::string message{};
  int status = 0;           // the status code an ENetHTTPProtocolException carries
  std::string errorBody{};  // the reply body it carries
  bool cleanEnd = true;     // false: the source's end is not the peer's own (a cut TLS stream)
};

// Every test runs with this reply size cap.
constexpr std::size_t kTestReplyCap = 100000;

// NUL and high bytes pass through unchanged.
inline const std::string kBinaryBody = std::string("line1\r\nNUL\0byte\xFF", 16);

inline std::string Repeat(char c, std::size_t n) { return std::string(n, c); }
inline std::string Repeat(const std::string& s, int n) { return n > 0 ? s + Repeat(s, n - 1) : ""; }

inline const std::vector<ReplyCase>& ReplyCases() {
  static const std::vector<ReplyCase> cases = {
      {"ContinueRepliesAreSkipped",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 100 Continue\r\nX-A: b\r\n\r\n"
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
       "hello"},
      {"EarlyHintsAndProcessingAreSkippedToo",
       "HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\nHTTP/1.1 102 Processing\r\n\r\n"
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\ngood:",
       "good:"},
      {"InterimRepliesOfEveryKindShareTheLimit",
       Repeat("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\n\r\n",
              11) +
           "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
       "", "ENetMaxInterimRepliesExceeded", "Max interim replies exceeded."},
      {.name = "AnUncleanEndCutsABodyReadToTheClose",
       .reply = "HTTP/1.0 200 OK\r\n\r\ngood:http://pictures.test",
       .raised = "ENetReplyIncomplete",
       .message = "Reply cut short: the connection ended without the server's closing message.",
       .cleanEnd = false},
      {"NoContentReadsNoBody", "HTTP/1.1 204 No Content\r\n\r\nstray bytes", ""},
      {"LocationOnOkIsARedirect", "HTTP/1.1 200 OK\r\nLocation: /elsewhere\r\nContent-Length: 2\r\n\r\nhi",
       "", "ENetHTTPProtocolException", "HTTP/1.1 200 OK", 200, "hi"},
      {"FoundCarriesItsBody",
       "HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 5\r\n\r\nmoved", "",
       "ENetHTTPProtocolException", "HTTP/1.1 302 Found", 302, "moved"},
      {"NotModifiedFails", "HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n", "",
       "ENetHTTPProtocolException", "HTTP/1.1 304 Not Modified", 304, ""},
      {"NotFoundFails", "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\nnope", "",
       "ENetHTTPProtocolException", "HTTP/1.1 404 Not Found", 404, "nope"},
      {"SwitchingProtocolsFails", "HTTP/1.1 101 Switching Protocols\r\n\r\n", "", "ENetHTTPProtocolException",
       "HTTP/1.1 101 Switching Protocols", 101, ""},
      {"StatusThatIsNoNumberIsMinusOne", "HTTP/1.1 OK fine\r\nContent-Length: 0\r\n\r\n", "",
       "ENetHTTPProtocolException", "HTTP/1.1 OK fine", -1, ""},
      {"ChunkSizeBeforeASpaceCounts",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "1A junk\r\nabcdefghijklmnopqrstuvwxyz\r\n3\r\n123\r\n0\r\n\r\n",
       "abcdefghijklmnopqrstuvwxyz123"},
      {"ChunkSizeWithExtensionEndsTheBody",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
       "3\r\nabc\r\n1A;ext\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n",
       "abc"},
      {"CapitalChunkedIsReadToTheClose",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n", "3\r\nabc\r\n0\r\n\r\n"},
      {"ShortContentLengthIsAFailure", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhello", "",
       "ENetReplyIncomplete", "Reply cut short: 5 of 100 body bytes came before the connection closed."},
      {"ContentLengthCutsTheBody", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nhello", "hel"},
      {"NoLengthReadsToTheClose", "HTTP/1.0 200 OK\r\n\r\n" + kBinaryBody, kBinaryBody},
      {"NegativeContentLengthReadsToTheClose", "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nabc", "abc"},
      {"ContentLengthZeroReadsNothing", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nignored", ""},
      {"BareLineFeedsEndLines", "HTTP/1.1 200 OK\nContent-Length: 2\n\nok", "ok"},
      {"ClosedBeforeTheStatusLine", "", "", "ENetConnClosedGracefully", "Connection Closed Gracefully."},
      {"ClosedInsideTheHeaderBlock", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n", "",
       "ENetReplyIncomplete", "Reply cut short: the connection closed inside the reply head."},
      {"ClosedRightAfterTheStatusLine", "HTTP/1.1 200 OK\r\n", "", "ENetReplyIncomplete",
       "Reply cut short: the connection closed inside the reply head."},
      {"AFailingStatusCutShortStillFailsByItsStatus", "HTTP/1.1 500 Oops\r\nContent-Length: 9\r\n\r\nabc", "",
       "ENetHTTPProtocolException", "HTTP/1.1 500 Oops", 500, "abc"},
      {"ClosedInsideAChunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc", "",
       "ENetConnClosedGracefully", "Connection Closed Gracefully."},
      {"HeaderLineAtTheLimit",
       "HTTP/1.1 200 OK\r\nX-Long: " + Repeat('a', 16384 - 8) + "\r\nContent-Length: 2\r\n\r\nok", "ok"},
      {"HeaderLineOverTheLimit",
       "HTTP/1.1 200 OK\r\nX-Long: " + Repeat('a', 16385 - 8) + "\r\nContent-Length: 2\r\n\r\nok", "",
       "ENetReadLnMaxLineLengthExceeded", "Max line length exceeded."},
      {"StatusLineOverTheLimit", "HTTP/1.1 200 " + Repeat('K', 16385 - 13) + "\r\n\r\n", "",
       "ENetReadLnMaxLineLengthExceeded", "Max line length exceeded."},
      {"HugeContentLengthAllocatesOnlyWhatArrives",
       "HTTP/1.1 200 OK\r\nContent-Length: 999999999999999999\r\n\r\ntiny", "", "ENetReplyIncomplete",
       "Reply cut short: 4 of 999999999999999999 body bytes came before the connection closed."},
      {"BodyAtTheCap", "HTTP/1.0 200 OK\r\n\r\n" + Repeat('b', kTestReplyCap), Repeat('b', kTestReplyCap)},
      {"BodyOverTheCap", "HTTP/1.0 200 OK\r\n\r\n" + Repeat('b', kTestReplyCap + 1), "",
       "ENetMaxReplySizeExceeded", "Max reply size exceeded."},
      {"ChunksOverTheCap",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFF\r\n" +
           Repeat('c', kTestReplyCap + 1),
       "", "ENetMaxReplySizeExceeded", "Max reply size exceeded."},
  };
  return cases;
}

// Runs an exchange and checks its outcome against the case.
inline void ExpectOutcome(const ReplyCase& c, const std::function<std::string()>& exchange) {
  SCOPED_TRACE(c.name);
  try {
    std::string body = exchange();
    EXPECT_EQ(c.raised, nullptr) << "nothing raised";
    EXPECT_EQ(body, c.body);
  } catch (const ENetHTTPProtocolException& e) {
    EXPECT_STREQ(c.raised, "ENetHTTPProtocolException");
    EXPECT_EQ(e.Message(), c.message);
    EXPECT_EQ(e.ErrorCode(), c.status);
    EXPECT_EQ(e.ErrorMessage(), c.errorBody);
  } catch (const Exception& e) {
    ASSERT_NE(c.raised, nullptr) << e.ClassName() << ": " << e.Message();
    EXPECT_STREQ(e.ClassName(), c.raised);
    EXPECT_EQ(e.Message(), c.message);
    EXPECT_NE(dynamic_cast<const ENetException*>(&e), nullptr) << "every failure is an ENetException";
  }
}
