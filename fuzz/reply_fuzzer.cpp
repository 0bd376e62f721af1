// Feeds arbitrary bytes to the reply parser as a peer would send them: status
// line, header blocks (with interim replies), and bodies by length, chunks or
// close. The first byte chooses how the bytes are split into socket reads
// (its low 7 bits) and whether their end is clean (its top bit clear) or cut,
// as a TLS stream's without close_notify.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "upload/socket/exceptions.h"
#include "support/memory_byte_source.h"
#include "upload/http/reply.h"

namespace {

constexpr TNetReplyLimits kLimits{.MaxLineLength = 256, .MaxReplySize = 1 << 16};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t piece = (data[0] & 0x7F) == 0 ? SIZE_MAX : data[0] & 0x7F;
  bool cleanEnd = (data[0] & 0x80) == 0;
  TMemoryByteSource source(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), piece,
                           cleanEnd);
  TNetReplyReader reader(source, 4096);
  TNetHTTPResponse response;
  try {
    std::string body = ReadReply(reader, response, kLimits);
    // Only a 2xx without Location comes back as a body.
    if (response.ResponseCode / 100 != 2 || !response.Location.empty()) std::abort();
    if (body.size() > kLimits.MaxReplySize) std::abort();
    if (response.ResponseCode == 204 && !body.empty()) std::abort();
    // A body that only the close could end never passes a cut end.
    bool toTheClose =
        !response.HasContentLength() && response.TransferEncoding().find("chunked") == std::string::npos;
    if (!cleanEnd && toTheClose && response.ResponseCode != 204) std::abort();
  } catch (const ENetHTTPProtocolException& e) {
    if (e.ErrorMessage().size() > kLimits.MaxReplySize) std::abort();
    if (e.Message() != response.ResponseText) std::abort();
  } catch (const ENetException&) {
    // Every other failure of a reply is one of ours: fine.
  }
  if (response.ResponseText.size() > kLimits.MaxLineLength) std::abort();
  for (const std::string& line : response.RawHeaders.Lines())
    if (line.size() > kLimits.MaxLineLength || line.empty()) std::abort();
  return 0;
}
