#include "engine/inflate_copy.h"

#include "engine/zstream.h"

#include <vector>

namespace {
constexpr int32_t CopyBufferSize = 61440;
}

int32_t CopyInflated(TStream& compressed, TStream& target)
{
    compressed.SetPosition(0);
    TZDecompressionStream inflater(compressed);
    std::vector<uint8_t> buffer(CopyBufferSize);
    int32_t length = 0;
    // Read delivers fewer bytes than asked only at the end of the data; the
    // stream itself refuses to go past the largest 32-bit length.
    while (const int32_t n = inflater.Read(buffer.data(), CopyBufferSize)) {
        target.WriteBuffer(buffer.data(), n);
        length += n;
    }
    return length;
}
