#include "platform/stream.h"

#include "platform/errors.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

int32_t TStream::Size()
{
    const int32_t pos = Seek(0, soCurrent);
    const int32_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int32_t) {}

void TStream::ReadBuffer(void* buffer, int32_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int32_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError();
}

void TMemoryStream::SetSize(int32_t newSize)
{
    if (newSize < 0)
        newSize = 0;
    // Checked here: past the largest size the library raises a length
    // error of whichever type its throwing helpers make.
    if (static_cast<size_t>(newSize) > data_.max_size())
        throw EOutOfMemoryStream();
    try {
        data_.resize(static_cast<size_t>(newSize));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemoryStream();
    }
    if (position_ > newSize)
        position_ = newSize;
}

int32_t TMemoryStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || position_ < 0 || position_ >= Size())
        return 0;
    const int32_t n = std::min(count, Size() - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0 || position_ < 0)
        return 0;
    const int64_t end = static_cast<int64_t>(position_) + count;
    if (end > std::numeric_limits<int32_t>::max())
        throw EOutOfMemoryStream();
    if (end > Size())
        SetSize(static_cast<int32_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = static_cast<int32_t>(end);
    return count;
}

int32_t TMemoryStream::Seek(int32_t offset, uint16_t origin)
{
    int64_t target = offset;
    if (origin == soCurrent)
        target += position_;
    else if (origin == soEnd)
        target += Size();
    if (target < 0)
        target = 0;
    if (target > std::numeric_limits<int32_t>::max())
        target = std::numeric_limits<int32_t>::max();
    position_ = static_cast<int32_t>(target);
    return position_;
}
