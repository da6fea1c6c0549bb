// Parses arbitrary bytes as an HTTP reply, fed in pieces whose size the
// first byte chooses, as the network may cut them.
#include "framework/app/HTTPReplyParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t piece = size_t(data[0] % 32) + 1;
    Kivo::HTTPReplyParser reply;
    for (size_t at = 1; at < size; at += piece) {
        const size_t n = size - at < piece ? size - at : piece;
        reply.Feed(reinterpret_cast<const char*>(data + at), n);
    }
    reply.Close();
    if (reply.content.size() > size_t(Kivo::HTTPReplyParser::kMaxContent))
        __builtin_trap();
    return 0;
}
