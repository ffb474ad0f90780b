// Arbitrary bytes into the decompressing stream and the extraction's copy
// loop, checked against zlib's own inflate of the same bytes; then the
// same bytes compressed here, so that every run also reaches a valid
// stream (most mutations of a real resource damage it). The whole input is
// the compressed source, so seeds taken from real resources stay intact;
// the operations are steered by the input's last bytes. Any disagreement
// aborts.
#include "engine/inflate_copy.h"
#include "engine/zstream.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Inputs that inflate to more are left out: they would test memory, not the stream.
constexpr size_t OutputCap = 32 << 20;

enum class TReference { Inflated, Refused, TooLarge };

// zlib's inflate of the whole input in one go.
TReference Reference(const uint8_t* data, size_t size, Bytes& out)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        std::abort();
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(size);
    out.resize(std::min(OutputCap, std::max<size_t>(size * 4, 4096)));
    int rc = Z_OK;
    for (;;) {
        if (zs.total_out == out.size()) {
            if (out.size() == OutputCap) {
                inflateEnd(&zs);
                return TReference::TooLarge;
            }
            out.resize(std::min(OutputCap, out.size() * 2));
        }
        zs.next_out = out.data() + zs.total_out;
        zs.avail_out = static_cast<uInt>(out.size() - zs.total_out);
        rc = inflate(&zs, Z_FINISH);
        // Out of room: grow. Room left but no end: the input ran out.
        if ((rc != Z_OK && rc != Z_BUF_ERROR) || zs.avail_out != 0)
            break;
    }
    out.resize(zs.total_out);
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? TReference::Inflated : TReference::Refused;
}

void Expect(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "the stream disagrees with zlib: %s\n", what);
        std::abort();
    }
}

// Reads in pieces of steered sizes, each checked for its count and bytes,
// then the rest: all of what zlib gave, and nothing more.
void ReadInPieces(TZDecompressionStream& z, const Bytes& expected, FuzzedDataProvider& steer)
{
    const auto length = static_cast<int64_t>(expected.size());
    int64_t position = 0;
    Bytes buffer(70000);
    const int pieces = steer.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < pieces; ++i) {
        const int32_t amount = steer.ConsumeIntegralInRange<int32_t>(0, 70000);
        const int32_t n = z.Read(buffer.data(), amount);
        Expect(n == std::min<int64_t>(amount, length - position), "read count");
        Expect(std::equal(buffer.begin(), buffer.begin() + n, expected.begin() + position), "read bytes");
        position += n;
        Expect(z.Position() == position, "position");
    }
    for (int32_t n; (n = z.Read(buffer.data(), 8192)) > 0; position += n)
        Expect(std::equal(buffer.begin(), buffer.begin() + n, expected.begin() + position), "the rest");
    Expect(position == length, "bytes read");
}

// The same on damaged data: every byte delivered is one that zlib
// delivered at that place before it found the damage, and reading on ends
// in the stream's own error, never in data.
void ReadDamaged(TZDecompressionStream& z, const Bytes& partial, FuzzedDataProvider& steer)
{
    Bytes buffer(70000);
    size_t position = 0;
    try {
        for (int i = steer.ConsumeIntegralInRange(0, 12);; --i) {
            const int32_t amount = i > 0 ? steer.ConsumeIntegralInRange<int32_t>(0, 70000) : 8192;
            const int32_t n = z.Read(buffer.data(), amount);
            Expect(position + static_cast<size_t>(n) <= partial.size() &&
                       std::equal(buffer.begin(), buffer.begin() + n, partial.begin() + position),
                   "bytes of damaged data");
            position += static_cast<size_t>(n);
            Expect(n > 0 || amount == 0, "damaged data read to the end");
        }
    } catch (const EZLibError&) {
    }
}

// A valid stream read in pieces and through the copy loop, against the
// bytes it must give.
void CheckValid(TMemoryStream& source, const Bytes& expected, FuzzedDataProvider& steer)
{
    {
        TZDecompressionStream z(source);
        ReadInPieces(z, expected, steer);
    }
    TMemoryStream copied;
    Expect(CopyInflated(source, copied) == static_cast<int32_t>(expected.size()), "copy loop's length");
    Expect(copied.Size() == static_cast<int32_t>(expected.size()) &&
               std::equal(expected.begin(), expected.end(), copied.Memory()),
           "copy loop's bytes");
}

// Damaged, cut short or asking for a dictionary: every way through must
// end in the stream's own error.
void CheckDamaged(TMemoryStream& source, const Bytes& partial, FuzzedDataProvider& steer)
{
    {
        TZDecompressionStream z(source);
        ReadDamaged(z, partial, steer);
    }
    TMemoryStream copied;
    bool refused = false;
    try {
        CopyInflated(source, copied);
    } catch (const EZLibError&) {
        refused = true;
    }
    Expect(refused, "copy loop over damaged data");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider steer(data, size);
    Bytes expected;
    const TReference reference = Reference(data, size, expected);
    if (reference != TReference::TooLarge) {
        TMemoryStream source;
        if (size > 0)
            source.WriteBuffer(data, static_cast<int32_t>(size));
        source.SetPosition(0);
        if (reference == TReference::Inflated)
            CheckValid(source, expected, steer);
        else
            CheckDamaged(source, expected, steer);
    }

    // The input as the content of a valid stream: stored blocks (level 0)
    // make a source as large as the input, past the input buffer for big
    // seeds; some bytes after the stream test the source left just past it.
    static constexpr int Levels[] = {0, 1, 6};
    const int level = Levels[steer.ConsumeIntegralInRange(0, 2)];
    uLongf packedSize = compressBound(static_cast<uLong>(size));
    Bytes packed(packedSize + 64);
    if (compress2(packed.data(), &packedSize, data, static_cast<uLong>(size), level) != Z_OK)
        std::abort();
    const size_t trailer = std::min<size_t>(size, steer.ConsumeIntegralInRange(0, 64));
    std::copy(data, data + trailer, packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
    TMemoryStream source;
    source.WriteBuffer(packed.data(), static_cast<int32_t>(packedSize + trailer));
    source.SetPosition(0);
    CheckValid(source, Bytes(data, data + size), steer);
    return 0;
}
