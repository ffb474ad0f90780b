// The window's pictures, drawn at build time for each display scale: 100,
// 125, 150 or 200 % (ArtScale). They are compressed resources of type
// ARTWORK under the name with the scale added ("GLYPH_BACK_150"); only the
// program icon at 100 % is a plain icon resource, MAINICON, which the
// system shows for the file too.
#pragma once

#include "platform/handle.h"

#include <cstdint>
#include <vector>

// A bitmap picture as a device-independent bitmap; raises "Cannot load the
// glyph ..." when it is missing.
TBitmapHandle LoadArtBitmap(const char* name, int artScale);

// A BMP file in memory as a DIB section: as the build writes them, a plain
// info header and uncompressed 24- or 32-bit rows of at most 4096 pixels a
// side; anything else, or a file too short for its rows, gives empty.
TBitmapHandle BitmapFromFile(const std::vector<uint8_t>& file);

// An icon picture at size pixels, one the build drew for that scale (else
// the system fits the 100 % picture); empty when missing.
TIconHandle LoadArtIcon(const char* name, int artScale, int size);
