// Seekable byte streams: the abstract stream with exact read and write, and
// a growable memory stream. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <vector>

enum TSeekOrigin : uint16_t { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// A seekable stream of bytes. Positions and sizes are signed 32-bit values.
class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Length of the stream: seeks to the end and back to where it stood.
    virtual int32_t Size();
    virtual void SetSize(int32_t newSize);
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    virtual int32_t Seek(int32_t offset, uint16_t origin) = 0;

    int32_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int32_t pos) { Seek(pos, soBeginning); }

    // Reads exactly count bytes or raises "Stream read error".
    void ReadBuffer(void* buffer, int32_t count);
    // Writes exactly count bytes or raises "Stream write error".
    void WriteBuffer(const void* buffer, int32_t count);
};

// A stream over a byte buffer in memory that grows on writes and SetSize.
class TMemoryStream : public TStream {
public:
    int32_t Size() override { return static_cast<int32_t>(data_.size()); }
    void SetSize(int32_t newSize) override;
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, uint16_t origin) override;

    const uint8_t* Memory() const { return data_.data(); }

private:
    std::vector<uint8_t> data_;
    int32_t position_ = 0;
};
