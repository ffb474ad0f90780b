#include "setup/artwork.h"

#include "engine/extract_resource.h"
#include "platform/errors.h"
#include "platform/resource.h"
#include "platform/win_error.h"

#include <cstring>
#include <vector>

namespace {

const char* const ArtworkType = "ARTWORK";

// The name the picture is stored under at that scale.
std::string StoredName(const char* name, int artScale)
{
    return std::string(name) + "_" + std::to_string(artScale);
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

TBitmapHandle LoadArtBitmap(const char* name, int artScale)
{
    TBitmapHandle bitmap = BitmapFromFile(InflateResource(ArtworkType, StoredName(name, artScale)));
    if (!bitmap)
        throw Exception(std::string("Cannot load the glyph ") + name + ". " + SystemErrorText(GetLastError()));
    return bitmap;
}

TIconHandle LoadArtIcon(const char* name, int artScale, int size)
{
    // MAINICON at 100 % is a plain icon resource; so is what the system
    // fits for a size the build drew for no scale.
    if (HasResource(ArtworkType, StoredName(name, artScale)))
        if (TIconHandle icon = IconFromFile(InflateResource(ArtworkType, StoredName(name, artScale)), size))
            return icon;
    return LoadIconResource(name, size);
}
