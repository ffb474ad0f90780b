// Arbitrary bytes into the decompressing stream: reads of random sizes,
// seeks and size queries. Only crashes, leaks and undefined behaviour count;
// the stream's own exceptions are expected on damaged input.
#include "engine/zstream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first bytes steer the operations; the rest is the compressed source.
    const size_t steer = 1 + data[0] % 16;
    if (size <= steer)
        return 0;
    TMemoryStream source;
    source.WriteBuffer(data + steer, static_cast<int32_t>(size - steer));
    source.SetPosition(0);
    std::vector<uint8_t> buffer(70000);
    try {
        TZDecompressionStream z(source);
        for (size_t i = 1; i < steer; ++i) {
            const uint8_t op = data[i];
            try {
                switch (op % 6) {
                case 0: z.Read(buffer.data(), 1 + (op * 397) % 70000); break;
                case 1: z.Seek(0, soBeginning); break;
                case 2: z.Seek(op * 31, soCurrent); break;
                case 3: z.Seek(0, soEnd); break;
                case 4: z.Size(); break;
                case 5: z.Seek(op, soBeginning); break;
                }
            } catch (const Exception&) {
                z.Seek(0, soBeginning);
            }
        }
        while (z.Read(buffer.data(), 8192) > 0) {
        }
    } catch (const Exception&) {
    }
    return 0;
}
