// The reply parser fed from memory, in one piece and byte by byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "upload/http/reply_cases.h"
#include "upload/http/header_list.h"
#include "support/memory_byte_source.h"
#include "upload/http/reply.h"

namespace {

std::string ParseReply(const std::string& bytes, std::size_t piece, TNetHTTPResponse& response,
                       bool cleanEnd = true) {
  TMemoryByteSource source(bytes, piece, cleanEnd);
  TNetReplyReader reader(source, 32768);
  return ReadReply(reader, response, TNetReplyLimits{.MaxReplySize = kTestReplyCap});
}

TEST(ReplyParser, EveryFramingAndFailureInOnePieceAndByteByByte) {
  for (std::size_t piece : {std::size_t{1} << 20, std::size_t{1}, std::size_t{7}}) {
    SCOPED_TRACE(piece);
    for (const ReplyCase& c : ReplyCases()) {
      TNetHTTPResponse response;
      ExpectOutcome(c, [&] { return ParseReply(c.reply, piece, response, c.cleanEnd); });
    }
  }
}

TEST(ReplyParser, ReplyFieldsComeFromTheLastHeaderBlock) {
  TNetHTTPResponse response;
  std::string body = ParseReply(
      "HTTP/1.1 100 Continue\r\nServer: early\r\n\r\n"
      "HTTP/1.1 200 Fine\r\nserver:  Late \r\nCONTENT-TYPE: text/plain\r\nX-Folded: one\r\n\ttwo \r\n"
      "Connection: close\r\nContent-Length:  4 \r\n\r\nbody",
      3, response);
  EXPECT_EQ(body, "body");
  EXPECT_EQ(response.ResponseText, "HTTP/1.1 200 Fine");
  EXPECT_EQ(response.ResponseCode, 200);
  EXPECT_EQ(response.Server, "Late");
  EXPECT_EQ(response.ContentType, "text/plain");
  EXPECT_EQ(response.Connection, "close");
  EXPECT_EQ(response.ContentLength, 4);
  EXPECT_TRUE(response.HasContentLength());
  EXPECT_EQ(response.RawHeaders.Values("x-folded"), "one two");
  EXPECT_EQ(response.RawHeaders.Count(), 6u);
}

TEST(ReplyParser, StatusCodeIsTheSecondWord) {
  const struct {
    const char* line;
    int code;
  } cases[] = {
      {"HTTP/1.1 200 OK", 200},
      {"HTTP/1.0   404   Not Found", 404},
      {"HTTP/1.1 2OO OK", -1},
      {"HTTP/1.1", -1},
      {"HTTP/1.1 ", -1},
      {"garbage 301", 301},
      {"HTTP/1.1 99999999999", -1},
      {"HTTP/1.1 +204 x", 204},
      {"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseStatusCode(c.line), c.code) << c.line;
}

TEST(HeaderList, LookupIgnoresCaseAndSetReplacesTheFirstMatch) {
  TNetHeaderList list;
  list.Add("Content-Type: a");
  list.Add("X-Other: b");
  list.Add("content-type: c");
  EXPECT_EQ(list.Values("CONTENT-TYPE"), "a");
  EXPECT_EQ(list.Values("Content"), "");
  EXPECT_EQ(list.Values("Missing"), "");
  list.SetValue("Content-Type", "d");
  list.SetValue("Host", "h");
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list[0], "Content-Type: d");
  EXPECT_EQ(list[2], "content-type: c");
  EXPECT_EQ(list[3], "Host: h");
}

}  // namespace
