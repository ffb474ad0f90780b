#include "engine/zstream.h"

#include <limits>
#include <new>

namespace {

const char* const ErrorTexts[10] = {
    "need dictionary",      // Z_NEED_DICT (2)
    "stream end",           // Z_STREAM_END (1)
    "",                     // Z_OK (0)
    "file error",           // Z_ERRNO (-1)
    "stream error",         // Z_STREAM_ERROR (-2)
    "data error",           // Z_DATA_ERROR (-3)
    "insufficient memory",  // Z_MEM_ERROR (-4)
    "buffer error",         // Z_BUF_ERROR (-5)
    "incompatible version", // Z_VERSION_ERROR (-6)
    "",                     // -7
};

const char* const InvalidOperation = "Invalid ZStream operation!";

} // namespace

const char* ZLibErrorText(int code)
{
    const int index = 2 - code;
    if (index < 0 || index >= 10)
        return "";
    return ErrorTexts[index];
}

TCustomZStream::TCustomZStream(TStream& source) : source_(source), sourcePosition_(source.Position())
{
    zs_.zalloc = &TCustomZStream::Alloc;
    zs_.zfree = &TCustomZStream::Free;
    zs_.opaque = this;
}

// zlib's C frames must never see a C++ exception: report failure as null
// and let Check raise once zlib has returned.
voidpf TCustomZStream::Alloc(voidpf opaque, uInt items, uInt size)
{
    void* p = nullptr;
    if (size == 0 || items <= SIZE_MAX / size)
        p = ::operator new(static_cast<size_t>(items) * size, std::nothrow);
    if (!p)
        static_cast<TCustomZStream*>(opaque)->allocFailed_ = true;
    return p;
}

void TCustomZStream::Free(voidpf, voidpf address)
{
    ::operator delete(address);
}

int TCustomZStream::Check(int code)
{
    if (allocFailed_) {
        allocFailed_ = false;
        throw EOutOfMemory();
    }
    if (code < 0)
        throw EZDecompressionError(ZLibErrorText(code));
    return code;
}

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source)
{
    zs_.next_in = buffer_;
    zs_.avail_in = 0;
    Check(inflateInit(&zs_));
}

TZDecompressionStream::~TZDecompressionStream()
{
    inflateEnd(&zs_);
}

int32_t TZDecompressionStream::Read(void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    // Positions are signed 32-bit. Output is allowed one byte past the
    // largest position, so that more data is noticed and refused instead of
    // wrapping; count bounds that byte too.
    const uLong room = static_cast<uLong>(std::numeric_limits<int32_t>::max()) - zs_.total_out;
    zs_.next_out = static_cast<Bytef*>(buffer);
    zs_.avail_out = static_cast<uLong>(count) <= room ? static_cast<uInt>(count) : static_cast<uInt>(room + 1);
    const uInt asked = zs_.avail_out;

    if (source_.Position() != sourcePosition_)
        source_.Seek(sourcePosition_, soBeginning);

    int result = Z_OK;
    while (zs_.avail_out > 0 && result != Z_STREAM_END) {
        if (zs_.avail_in == 0) {
            const int32_t got = source_.Read(buffer_, BufferSize);
            if (got == 0) {
                // A source that ends before the stream's end marker is
                // damaged data, not a shorter file.
                if (!ended_)
                    throw EZDecompressionError(ZLibErrorText(Z_DATA_ERROR));
                return static_cast<int32_t>(asked - zs_.avail_out);
            }
            zs_.next_in = buffer_;
            zs_.avail_in = static_cast<uInt>(got);
            sourcePosition_ = source_.Position();
        }
        result = Check(inflate(&zs_, Z_NO_FLUSH));
        if (result == Z_NEED_DICT)
            throw EZDecompressionError(ZLibErrorText(Z_NEED_DICT));
        if (result == Z_STREAM_END)
            ended_ = true;
    }

    if (zs_.total_out > static_cast<uLong>(std::numeric_limits<int32_t>::max()))
        throw ERangeError();
    if (result == Z_STREAM_END && zs_.avail_in > 0) {
        // Leave the source just past the compressed stream.
        source_.Seek(-static_cast<int32_t>(zs_.avail_in), soCurrent);
        sourcePosition_ = source_.Position();
        zs_.avail_in = 0;
    }
    return static_cast<int32_t>(asked - zs_.avail_out);
}

int32_t TZDecompressionStream::Write(const void*, int32_t)
{
    throw EZDecompressionError(InvalidOperation);
}

int32_t TZDecompressionStream::Seek(int32_t offset, uint16_t origin)
{
    if (offset != 0 || origin != soCurrent)
        throw EZDecompressionError(InvalidOperation);
    return static_cast<int32_t>(zs_.total_out);
}
