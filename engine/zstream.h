// The decompressing read stream over a zlib-compressed source stream.
// Portable: zlib only.
#pragma once

#include "platform/errors.h"
#include "platform/stream.h"

#include <zlib.h>

#include <cstdint>

class EZLibError : public Exception {
public:
    using Exception::Exception;
};

class EZDecompressionError : public EZLibError {
public:
    using EZLibError::EZLibError;
};

// Message for a zlib result code, indexed by 2 minus the code.
const char* ZLibErrorText(int code);

// Common state of the zlib streams: source, input buffer and inflate state.
class TCustomZStream : public TStream {
public:
    static constexpr int32_t BufferSize = 65536;

protected:
    explicit TCustomZStream(TStream& source);

    // Raises EZDecompressionError for a negative result, else returns it.
    int Check(int code);

    TStream& source_;
    int32_t sourcePosition_;
    z_stream zs_{};
    bool allocFailed_ = false;
    uint8_t buffer_[BufferSize];

private:
    static voidpf Alloc(voidpf opaque, uInt items, uInt size);
    static void Free(voidpf opaque, voidpf address);
};

// Inflates a zlib stream that starts at offset 0 of its source. Read-only
// and forward-only: Seek only tells the position (offset 0 from the
// current one) and refuses anything else.
class TZDecompressionStream final : public TCustomZStream {
public:
    explicit TZDecompressionStream(TStream& source);
    ~TZDecompressionStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, uint16_t origin) override;

private:
    bool ended_ = false;
};
