#include "setup/background.h"

#include "platform/errors.h"
#include "platform/win_error.h"
#include "setup/gradient.h"

#include <cstdint>
#include <vector>

void TBackground::Paint(int width, int height)
{
    width_ = width;
    height_ = height;
    Compose();
    if (!brush_)
        throw Exception("Cannot create the background picture. " + SystemErrorText(GetLastError()));
}

void TBackground::Compose()
{
    brush_.reset();
    if (width_ <= 0 || height_ <= 0)
        return;
    // The level depends on the column only, and so does the button face,
    // which shows where the gradient has its left edge's level: one row is
    // the whole pattern, which the brush repeats down the window.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const uint32_t faceBgr = (static_cast<uint32_t>(GetRValue(face)) << 16) |
                             (static_cast<uint32_t>(GetGValue(face)) << 8) | GetBValue(face);
    const uint8_t transparent = GradientLevel(0, width_);
    constexpr size_t HeaderWords = sizeof(BITMAPINFOHEADER) / sizeof(uint32_t);
    const size_t width = static_cast<size_t>(width_);
    std::vector<uint32_t> packed(HeaderWords + width);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(packed.data());
    header->biSize = sizeof *header;
    header->biWidth = width_;
    header->biHeight = 1;
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    uint32_t* row = packed.data() + HeaderWords;
    for (size_t x = 0; x < width; ++x) {
        const uint32_t level = GradientLevel(static_cast<int>(x), width_);
        row[x] = level == transparent ? faceBgr : level | level << 8 | level << 16;
    }
    brush_.reset(CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS));
}
