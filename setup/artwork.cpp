#include "setup/artwork.h"

#include "engine/extract_resource.h"
#include "platform/errors.h"
#include "platform/resource.h"
#include "platform/win_error.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const ArtworkType = "ARTWORK";

// The pictures drawn for that scale, inflated together; empty when the
// program has none. The window asks for them one by one, so the last
// scale's are kept.
const std::vector<uint8_t>& Bundle(int artScale)
{
    static int scale = 0;
    static std::vector<uint8_t> bundle;
    if (scale != artScale) {
        const std::string name = "ARTWORK_" + std::to_string(artScale);
        bundle = HasResource(ArtworkType, name) ? InflateResource(ArtworkType, name) : std::vector<uint8_t>();
        scale = artScale;
    }
    return bundle;
}

// An icon resource of the program at that size; empty when missing.
TIconHandle LoadIconResource(const char* name, int size)
{
    return TIconHandle(
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

// The image of that size in an .ico file in memory.
TIconHandle IconFromFile(const std::vector<uint8_t>& file, int size)
{
    struct TEntry {
        BYTE Width, Height, Colours, Reserved;
        WORD Planes, BitCount;
        DWORD Bytes, Offset;
    };
    if (file.size() < 6)
        return {};
    WORD count = 0;
    std::memcpy(&count, file.data() + 4, sizeof count);
    for (WORD i = 0; i < count; ++i) {
        TEntry entry{};
        const size_t at = 6 + static_cast<size_t>(i) * sizeof entry;
        if (file.size() < at + sizeof entry)
            return {};
        std::memcpy(&entry, file.data() + at, sizeof entry);
        if (entry.Width != size || entry.Offset > file.size() || file.size() - entry.Offset < entry.Bytes)
            continue;
        return TIconHandle(CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + entry.Offset), entry.Bytes, TRUE,
                                                    0x00030000, size, size, LR_DEFAULTCOLOR));
    }
    return {};
}

} // namespace

TBitmapHandle BitmapFromFile(const std::vector<uint8_t>& file)
{
    // The largest side a picture of the window has, at any scale, with room.
    constexpr LONG LargestSide = 4096;
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER format{};
    if (file.size() < sizeof header + sizeof format)
        return {};
    std::memcpy(&header, file.data(), sizeof header);
    std::memcpy(&format, file.data() + sizeof header, sizeof format);
    if (format.biSize != sizeof format || format.biCompression != BI_RGB || format.biPlanes != 1 ||
        (format.biBitCount != 24 && format.biBitCount != 32) || format.biWidth <= 0 ||
        format.biWidth > LargestSide || format.biHeight == 0 || format.biHeight > LargestSide ||
        format.biHeight < -LargestSide)
        return {};
    const uint64_t height = format.biHeight < 0 ? -static_cast<int64_t>(format.biHeight) : format.biHeight;
    const uint64_t rowBytes = (static_cast<uint64_t>(format.biWidth) * format.biBitCount + 31) / 32 * 4;
    const uint64_t bytes = rowBytes * height;
    if (header.bfOffBits > file.size() || file.size() - header.bfOffBits < bytes)
        return {};
    void* bits = nullptr;
    TBitmapHandle bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&format), DIB_RGB_COLORS,
                                          &bits, nullptr, 0));
    if (bitmap)
        std::memcpy(bits, file.data() + header.bfOffBits, static_cast<size_t>(bytes));
    return bitmap;
}

std::vector<uint8_t> PictureInBundle(const std::vector<uint8_t>& bundle, const char* name)
{
    const size_t nameLength = std::strlen(name);
    size_t at = 0;
    while (bundle.size() - at > 4) {
        const void* end = std::memchr(bundle.data() + at, 0, bundle.size() - at);
        if (!end)
            break;
        const size_t sizeAt = static_cast<size_t>(static_cast<const uint8_t*>(end) - bundle.data()) + 1;
        uint32_t size = 0;
        if (bundle.size() - sizeAt < sizeof size)
            break;
        std::memcpy(&size, bundle.data() + sizeAt, sizeof size);
        const size_t dataAt = sizeAt + sizeof size;
        if (bundle.size() - dataAt < size)
            break;
        if (sizeAt - 1 - at == nameLength && std::memcmp(bundle.data() + at, name, nameLength) == 0)
            return std::vector<uint8_t>(bundle.begin() + dataAt, bundle.begin() + dataAt + size);
        at = dataAt + size;
    }
    return {};
}

TBitmapHandle LoadArtBitmap(const char* name, int artScale)
{
    TBitmapHandle bitmap = BitmapFromFile(PictureInBundle(Bundle(artScale), name));
    if (!bitmap)
        throw Exception(std::string("Cannot load the glyph ") + name + ". " + SystemErrorText(GetLastError()));
    return bitmap;
}

TIconHandle LoadArtIcon(const char* name, int artScale, int size)
{
    // MAINICON at 100 % is a plain icon resource; so is what the system
    // fits for a size the build drew for no scale.
    if (TIconHandle icon = IconFromFile(PictureInBundle(Bundle(artScale), name), size))
        return icon;
    return LoadIconResource(name, size);
}
