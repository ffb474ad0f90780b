// Arbitrary bytes into the decompressing stream and the extraction's copy
// loop, checked against zlib's own inflate of the same bytes; then the
// same bytes compressed here, so that every run also reaches a valid
// stream (most mutations of a real resource damage it). The whole input is
// the compressed source, so seeds taken from real resources stay intact;
// the operations are steered by the input's last bytes. Any disagreement
// aborts.
#include "engine/inflate_copy.h"
#include "engine/zstream.h"
#include "tests/portable/message_of.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using testing_support::MessageOf;
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

const std::string Invalid = "Invalid ZStream operation!";

// Reads, rewinds, skips, drains and size queries on a stream whose bytes
// are known, each checked for its result and the position after it.
void RunOperations(TZDecompressionStream& z, const Bytes& expected, FuzzedDataProvider& steer)
{
    const auto length = static_cast<int64_t>(expected.size());
    int64_t position = 0;
    Bytes buffer(70000);
    const auto skipTo = [&](int64_t target, auto&& seek) {
        if (target <= length) {
            Expect(seek() == target, "skip result");
            position = target;
        } else {
            Expect(MessageOf(seek) == "Stream read error", "skip past the end");
            position = length;
        }
    };
    const int operations = steer.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < operations; ++i) {
        const int op = steer.ConsumeIntegralInRange(0, 5);
        const int32_t amount = steer.ConsumeIntegralInRange<int32_t>(0, 70000);
        switch (op) {
        case 0: {
            const int32_t n = z.Read(buffer.data(), amount);
            Expect(n == std::min<int64_t>(amount, length - position), "read count");
            Expect(std::equal(buffer.begin(), buffer.begin() + n, expected.begin() + position), "read bytes");
            position += n;
            break;
        }
        case 1:
            Expect(z.Seek(0, soBeginning) == 0, "rewind");
            position = 0;
            break;
        case 2:
            skipTo(position + amount, [&] { return z.Seek(amount, soCurrent); });
            break;
        case 3:
            if (amount == 0) {
                Expect(z.Seek(0, soBeginning) == 0, "rewind");
                position = 0;
            } else if (amount > position) {
                skipTo(amount, [&] { return z.Seek(amount, soBeginning); });
            } else {
                Expect(MessageOf([&] { z.Seek(amount, soBeginning); }) == Invalid, "seek back");
            }
            break;
        case 4:
            Expect(z.Seek(0, soEnd) == length, "drain");
            position = length;
            break;
        case 5:
            if (position == 0) {
                Expect(z.Size() == length, "size query");
            } else {
                Expect(MessageOf([&] { z.Size(); }) == Invalid, "size query away from 0");
                position = length;
            }
            break;
        }
        Expect(z.Position() == position, "position");
    }
    for (int32_t n; (n = z.Read(buffer.data(), 8192)) > 0; position += n)
        Expect(std::equal(buffer.begin(), buffer.begin() + n, expected.begin() + position), "the rest");
    Expect(position == length, "bytes read");
}

// The same operations on damaged data: any of them may raise, after which
// the stream is rewound, but every byte delivered must be one that zlib
// delivered at that place before it found the damage.
void PokeDamaged(TZDecompressionStream& z, const Bytes& partial, FuzzedDataProvider& steer)
{
    Bytes buffer(70000);
    const int operations = steer.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < operations; ++i) {
        const int op = steer.ConsumeIntegralInRange(0, 5);
        const int32_t amount = steer.ConsumeIntegralInRange<int32_t>(0, 70000);
        try {
            const auto position = static_cast<size_t>(z.Position());
            switch (op) {
            case 0: {
                const int32_t n = z.Read(buffer.data(), amount);
                Expect(position + static_cast<size_t>(n) <= partial.size() &&
                           std::equal(buffer.begin(), buffer.begin() + n, partial.begin() + position),
                       "bytes of damaged data");
                break;
            }
            case 1: z.Seek(0, soBeginning); break;
            case 2: z.Seek(amount, soCurrent); break;
            case 3: z.Seek(amount, soBeginning); break;
            case 4: z.Seek(0, soEnd); break;
            case 5: z.Size(); break;
            }
        } catch (const Exception&) {
            Expect(z.Seek(0, soBeginning) == 0, "rewind after an error");
        }
    }
}

bool RaisesZLibError(TStream& stream)
{
    try {
        Bytes buffer(8192);
        while (stream.Read(buffer.data(), 8192) > 0) {
        }
    } catch (const EZLibError&) {
        return true;
    }
    return false;
}

// A valid stream's operations, its size query and the copy loop, all
// against the bytes it must give.
void CheckValid(TMemoryStream& source, const Bytes& expected, FuzzedDataProvider& steer)
{
    TZDecompressionStream z(source);
    RunOperations(z, expected, steer);
    Expect(z.Seek(0, soBeginning) == 0 && z.Size() == static_cast<int32_t>(expected.size()),
           "size query against bytes read");
    TMemoryStream copied;
    Expect(CopyInflated(source, copied) == static_cast<int32_t>(expected.size()), "copy loop's length");
    Expect(copied.Size() == static_cast<int32_t>(expected.size()) &&
               std::equal(expected.begin(), expected.end(), copied.Memory()),
           "copy loop's bytes");
}

// Damaged, cut short or asking for a dictionary: every way through must
// end in the stream's own error, never in data.
void CheckDamaged(TMemoryStream& source, const Bytes& partial, FuzzedDataProvider& steer)
{
    TZDecompressionStream z(source);
    PokeDamaged(z, partial, steer);
    Expect(RaisesZLibError(z), "damaged data read to the end");
    Expect(z.Seek(0, soBeginning) == 0, "rewind after an error");
    Expect(MessageOf([&] { z.Size(); }) != "<no exception>", "size query of damaged data");
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
