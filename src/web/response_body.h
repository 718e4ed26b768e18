// The read loop of WebRequest, on its own so that its limit can be exercised.
#pragma once

#include <cstdint>

#include "text/text.h"
#include "web/transport.h"

namespace sl {

// Bytes a single read asks for.
inline constexpr uint32_t kReadChunk = 1024;

// Reads the response body in chunks of kReadChunk bytes until a read reports
// 0. A chunk that would take the body past `maxLength` is dropped and the
// reading stops there.
ByteBuffer ReadResponseBody(Transport& transport, TransportHandle request,
                            int32_t maxLength = ByteBuffer::kMaxLength);

}  // namespace sl
