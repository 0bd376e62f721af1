#pragma once
// Buffered reading of a reply: lines and counted or close-delimited runs of
// bytes, over any byte source (a socket, or memory in tests and fuzzers).

#include <cstddef>
#include <string>
#include <vector>

#include "upload/socket/connection.h"

class TNetReplyReader {
 public:
  // recvBufferSize is the largest single read asked of the source.
  explicit TNetReplyReader(TNetByteSource& source, std::size_t recvBufferSize = 32768);

  // The next line up to LF; one CR right before the LF is removed. When the
  // peer closes in the middle of a line, the bytes so far are the last line.
  // Raises ENetConnClosedGracefully when the peer closed before any byte of
  // the line, ENetReadLnMaxLineLengthExceeded when the line exceeds maxLength.
  std::string ReadLn(std::size_t maxLength);

  // Appends count bytes to sink; false when the peer closed first (the bytes
  // that came are kept). The sink never grows past sinkLimit bytes: going
  // beyond raises ENetMaxReplySizeExceeded.
  bool ReadBytes(std::size_t count, std::string& sink, std::size_t sinkLimit);
  // Appends everything until the peer closes, with the same limit. An end
  // that was not clean (EndWasClean) raises ENetReplyIncomplete.
  void ReadToClose(std::string& sink, std::size_t sinkLimit);

  // True once the source reported the close, even with bytes still buffered.
  bool PeerClosed() const noexcept { return closed_; }
  // Bytes read from the source but not yet taken.
  std::size_t Buffered() const noexcept { return end_ - start_; }
  // True once the source gave any byte at all.
  bool AnyReceived() const noexcept { return received_; }
  // Set when a read failed part-way: where the stream stands is unknown.
  void MarkBroken() noexcept { broken_ = true; }
  bool Broken() const noexcept { return broken_; }

 private:
  // Tops up the buffer when it is empty; false when the peer has closed.
  bool Fill();

  TNetByteSource& source_;
  std::vector<char> buffer_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool closed_ = false;
  bool received_ = false;
  bool broken_ = false;
};
