// The decompressing stream against data that zlib compressed here.
#include "engine/inflate_copy.h"
#include "engine/zstream.h"
#include "tests/portable/message_of.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Sample(size_t size)
{
    Bytes data(size);
    std::mt19937 rng(42);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<uint8_t>((i % 97 == 0) ? '\n' : 'a' + rng() % 9);
    return data;
}

Bytes Compress(const Bytes& data, int level = 6)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    EXPECT_EQ(Z_OK, compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level));
    out.resize(size);
    return out;
}

// A zlib stream of count zero bytes, made from one deflated megabyte
// repeated, so that gigabytes cost nothing to build (level 1: its output
// inflates several times faster than level 9's). Each piece ends with
// a full flush, so it stands on its own and the next starts byte-aligned.
Bytes Zeros(uint64_t count)
{
    constexpr uInt Piece = 1 << 20;
    const auto rawDeflate = [](uInt length, int flush) {
        const Bytes zeros(length);
        z_stream zs{};
        EXPECT_EQ(Z_OK, deflateInit2(&zs, 1, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY));
        Bytes out(deflateBound(&zs, length) + 16);
        zs.next_in = const_cast<Bytef*>(zeros.data());
        zs.avail_in = length;
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        deflate(&zs, flush);
        out.resize(zs.total_out);
        deflateEnd(&zs);
        return out;
    };
    Bytes stream{0x78, 0x01};
    const Bytes piece = rawDeflate(Piece, Z_FULL_FLUSH);
    for (uint64_t i = 0; i < count / Piece; ++i)
        stream.insert(stream.end(), piece.begin(), piece.end());
    const Bytes last = rawDeflate(static_cast<uInt>(count % Piece), Z_FINISH);
    stream.insert(stream.end(), last.begin(), last.end());
    // Adler-32 of zeros: the byte sum stays 1, the running sum is the count.
    const uint32_t adler = static_cast<uint32_t>(count % 65521) << 16 | 1;
    for (int shift = 24; shift >= 0; shift -= 8)
        stream.push_back(static_cast<uint8_t>(adler >> shift));
    return stream;
}

// A target that counts what it is given and keeps none of it; it takes no
// more than Limit bytes in all.
class TSink : public TStream {
public:
    int64_t Limit = INT64_MAX;
    int64_t Taken = 0;
    int32_t Writes = 0;

    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void*, int32_t count) override
    {
        ++Writes;
        const auto n = static_cast<int32_t>(std::min<int64_t>(count, Limit - Taken));
        Taken += n;
        return n;
    }
    int32_t Seek(int32_t, uint16_t) override { return static_cast<int32_t>(Taken); }
};

// A memory stream that counts the bytes read from it.
class TCountedSource : public TMemoryStream {
public:
    int64_t BytesRead = 0;
    int32_t Read(void* buffer, int32_t count) override
    {
        const int32_t n = TMemoryStream::Read(buffer, count);
        BytesRead += n;
        return n;
    }
};

// A memory stream holding bytes, positioned at 0.
std::unique_ptr<TMemoryStream> Source(const Bytes& bytes)
{
    auto s = std::make_unique<TMemoryStream>();
    s->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    s->SetPosition(0);
    return s;
}

Bytes ReadAllIn(TStream& z, int32_t piece)
{
    Bytes out;
    Bytes buffer(static_cast<size_t>(piece));
    for (;;) {
        const int32_t n = z.Read(buffer.data(), piece);
        if (n == 0)
            break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    return out;
}


class ZStreamTest : public ::testing::Test {
protected:
    // Larger than the 65,536-byte input buffer even when compressed.
    const Bytes plain = Sample(400000);
    const Bytes packed = Compress(plain, 1);
    std::unique_ptr<TMemoryStream> source = Source(packed);
    std::unique_ptr<TZDecompressionStream> z = std::make_unique<TZDecompressionStream>(*source);
};

TEST_F(ZStreamTest, InflatesAcrossBufferRefillsInAnyPieceSize)
{
    ASSERT_GT(packed.size(), 65536u);
    EXPECT_EQ(plain, ReadAllIn(*z, 61440));
    source->SetPosition(0);
    TZDecompressionStream bytewise(*source);
    EXPECT_EQ(plain, ReadAllIn(bytewise, 1));
    source->SetPosition(0);
    TZDecompressionStream again(*source);
    std::mt19937 rng(1);
    Bytes out;
    Bytes buffer(70000);
    for (;;) {
        const auto n = again.Read(buffer.data(), static_cast<int32_t>(1 + rng() % buffer.size()));
        if (n == 0)
            break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    EXPECT_EQ(plain, out);
}

TEST_F(ZStreamTest, ReadAfterTheEndKeepsReturningZero)
{
    ReadAllIn(*z, 8192);
    uint8_t b[16];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(0, z->Read(b, sizeof b));
    EXPECT_EQ(static_cast<int32_t>(plain.size()), z->Position());
    EXPECT_EQ(0, z->Read(b, 0));
    EXPECT_EQ(0, z->Read(b, -5));
}

TEST_F(ZStreamTest, SeekingAndWritingAreRefused)
{
    const std::string invalid = "Invalid ZStream operation!";
    uint8_t b[4] = {};
    z->ReadBuffer(b, sizeof b);
    EXPECT_EQ(4, z->Position());
    EXPECT_RAISES(invalid, z->Seek(0, soBeginning));
    EXPECT_RAISES(invalid, z->Seek(1, soCurrent));
    EXPECT_RAISES(invalid, z->Size());
    EXPECT_RAISES(invalid, z->Write(b, 4));
}

TEST_F(ZStreamTest, CopyLoopInflatesOnceInPiecesAndStopsAtAShortWrite)
{
    TCountedSource counted;
    counted.WriteBuffer(packed.data(), static_cast<int32_t>(packed.size()));
    TMemoryStream target;
    EXPECT_EQ(static_cast<int32_t>(plain.size()), CopyInflated(counted, target));
    EXPECT_EQ(plain, Bytes(target.Memory(), target.Memory() + target.Size()));
    EXPECT_EQ(static_cast<int64_t>(packed.size()), counted.BytesRead) << "the source is read once";

    TSink pieces;
    CopyInflated(*source, pieces);
    EXPECT_EQ(static_cast<int32_t>((plain.size() + 61439) / 61440), pieces.Writes);

    // A target that fills up part-way, as a full disk does.
    TSink full;
    full.Limit = 100000;
    EXPECT_RAISES("Stream write error", CopyInflated(*source, full));
    EXPECT_EQ(100000, full.Taken);
}

TEST(ZStream, MoreThanTheLargest32BitLengthIsARangeErrorNotAWrap)
{
    auto source = Source(Zeros(uint64_t{1} << 31));
    TSink sink;
    EXPECT_RAISES("Range check error", CopyInflated(*source, sink));
    EXPECT_LE(sink.Taken, int64_t{0x7FFFFFFF});
    EXPECT_GT(sink.Taken, int64_t{0x7FFFFFFF} - 61440) << "refused at the limit, not before";
}

TEST(ZStream, BytesAfterTheStreamAreIgnoredAndTheSourceStopsJustPastIt)
{
    const Bytes plain = Sample(3000);
    Bytes withTail = Compress(plain);
    const auto streamLength = static_cast<int32_t>(withTail.size());
    const std::string tail = "trailing bytes that are not part of the stream";
    withTail.insert(withTail.end(), tail.begin(), tail.end());
    auto source = Source(withTail);
    TZDecompressionStream z(*source);
    EXPECT_EQ(plain, ReadAllIn(z, 1000));
    EXPECT_EQ(streamLength, source->Position());
    uint8_t b[8];
    EXPECT_EQ(0, z.Read(b, sizeof b));
    EXPECT_EQ(streamLength, source->Position());
    EXPECT_EQ(static_cast<int32_t>(plain.size()), z.Position());
}

// Inflate's check of gzip streams; setup.exe brings its own, without tables.
TEST(ZStream, Crc32GivesTheStandardCheckValue)
{
    const Bytef digits[] = "123456789";
    EXPECT_EQ(0xCBF43926ul, crc32(0, digits, 9));
    EXPECT_EQ(0xCBF43926ul, crc32(crc32(0, digits, 4), digits + 4, 5)) << "in pieces";
    EXPECT_EQ(0ul, crc32(0, nullptr, 0));
}

TEST(ZStream, EmptyStreamGivesNothing)
{
    auto source = Source(Compress({}));
    TZDecompressionStream z(*source);
    uint8_t b[8];
    EXPECT_EQ(0, z.Read(b, sizeof b));
}

TEST(ZStream, DamagedDataRaisesDataError)
{
    const Bytes plain = Sample(100000);
    Bytes badSum = Compress(plain);
    badSum.back() ^= 1;
    Bytes badHeader = Compress(plain);
    badHeader[0] = 0x79;
    Bytes truncated = Compress(plain);
    truncated.resize(truncated.size() - 5);
    for (const Bytes& damaged : {badSum, badHeader, truncated, Bytes{}}) {
        auto source = Source(damaged);
        TZDecompressionStream z(*source);
        EXPECT_RAISES("data error", ReadAllIn(z, 65536));
    }
    // A stream cut before its end marker is damaged, however it is read.
    auto source = Source(truncated);
    TZDecompressionStream z(*source);
    EXPECT_RAISES("data error", ReadAllIn(z, 7));
}

TEST(ZStream, PresetDictionaryRaisesNeedDictionary)
{
    const Bytes plain = Sample(2000);
    const std::string dictionary = "abcdefghi";
    z_stream zs{};
    ASSERT_EQ(Z_OK, deflateInit(&zs, 6));
    ASSERT_EQ(Z_OK, deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dictionary.data()),
                                         static_cast<uInt>(dictionary.size())));
    Bytes out(deflateBound(&zs, static_cast<uLong>(plain.size())));
    zs.next_in = const_cast<Bytef*>(plain.data());
    zs.avail_in = static_cast<uInt>(plain.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    ASSERT_EQ(Z_STREAM_END, deflate(&zs, Z_FINISH));
    out.resize(zs.total_out);
    deflateEnd(&zs);

    auto source = Source(out);
    TZDecompressionStream z(*source);
    uint8_t b[64];
    EXPECT_RAISES("need dictionary", z.Read(b, sizeof b));
}

TEST(ZStream, ResultCodeTexts)
{
    const std::vector<std::pair<int, std::string>> table = {
        {2, "need dictionary"},   {1, "stream end"},          {0, ""},
        {-1, "file error"},       {-2, "stream error"},       {-3, "data error"},
        {-4, "insufficient memory"}, {-5, "buffer error"},    {-6, "incompatible version"},
        {-7, ""},
    };
    for (const auto& [code, text] : table)
        EXPECT_EQ(text, ZLibErrorText(code)) << code;
}

// inflate's checksum of gzip streams (setup.exe links its own).
TEST(ZStream, Crc32)
{
    EXPECT_EQ(0xCBF43926ul, crc32(0, reinterpret_cast<const Bytef*>("123456789"), 9));
    EXPECT_EQ(0xCBF43926ul, crc32(crc32(0, reinterpret_cast<const Bytef*>("1234"), 4),
                                  reinterpret_cast<const Bytef*>("56789"), 5));
    EXPECT_EQ(0ul, crc32(0, nullptr, 0));
}

TEST(ByteStreams, ExactReadAndWrite)
{
    TMemoryStream m;
    const char text[] = "0123456789";
    m.WriteBuffer(text, 10);
    EXPECT_EQ(10, m.Size());
    m.SetPosition(4);
    char b[8] = {};
    m.ReadBuffer(b, 6);
    EXPECT_EQ(std::string("456789"), std::string(b, 6));
    EXPECT_RAISES("Stream read error", m.ReadBuffer(b, 1));
    m.ReadBuffer(b, 0);
}

} // namespace
