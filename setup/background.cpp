#include "setup/background.h"

#include "platform/errors.h"
#include "platform/win_error.h"
#include "setup/gradient.h"

#include <algorithm>
#include <cstdint>

namespace {

BITMAPINFO TopDownInfo(int width, int height, WORD bitsPerPixel)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A device-independent bitmap whose pixels the caller writes.
TBitmapHandle CreateDib(const BITMAPINFO& info, void*& bits)
{
    bits = nullptr;
    return TBitmapHandle(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

} // namespace

void TBackground::Paint(int width, int height)
{
    void* bits = nullptr;
    TBitmapHandle picture = CreateDib(TopDownInfo(width, height, 24), bits);
    if (!picture)
        throw Exception("Cannot create the background picture. " + SystemErrorText(GetLastError()));
    // The level depends on the column only: one row is made, then copied.
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    auto* rows = static_cast<uint8_t*>(bits);
    for (int x = 0; x < width; ++x)
        std::fill_n(rows + static_cast<size_t>(x) * 3, 3, GradientLevel(x, width));
    for (int y = 1; y < height; ++y)
        std::copy(rows, rows + stride, rows + static_cast<size_t>(y) * stride);
    GdiFlush();
    picture_ = std::move(picture);
    Compose();
}

void TBackground::Compose()
{
    brush_.reset();
    composite_.reset();
    BITMAP picture{};
    if (!picture_ || !GetObjectA(picture_.get(), sizeof picture, &picture))
        return;
    const int width = picture.bmWidth, height = picture.bmHeight;
    BITMAPINFO info = TopDownInfo(width, height, 32);
    void* bits = nullptr;
    TBitmapHandle composite = CreateDib(info, bits);
    if (!composite)
        return;
    const TWindowDC screen(nullptr);
    if (GetDIBits(screen.get(), picture_.get(), 0, static_cast<UINT>(height), bits, &info, DIB_RGB_COLORS) != height)
        return;
    auto* pixels = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const uint32_t transparent = pixels[static_cast<size_t>(height - 1) * static_cast<size_t>(width)] & 0xFFFFFF;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint32_t faceBgr = (static_cast<uint32_t>(GetRValue(face)) << 16) |
                             (static_cast<uint32_t>(GetGValue(face)) << 8) | GetBValue(face);
    std::replace_if(pixels, pixels + count, [&](uint32_t p) { return (p & 0xFFFFFF) == transparent; }, faceBgr);
    GdiFlush();
    brush_.reset(CreatePatternBrush(composite.get()));
    composite_ = std::move(composite);
}
