#include "upload/net_stream.h"

#include "upload/net_exceptions.h"

std::size_t TNetBaseStream::Write(const void*, std::size_t) { throw ENetException("Unsupported operation."); }

void TNetBaseStream::SetSize(std::int64_t) { throw ENetException("Unsupported operation."); }
