// The window's pictures, drawn at build time for each display scale: 100,
// 125, 150 or 200 % (ArtScale). Those of one scale are one compressed
// resource of type ARTWORK, "ARTWORK_150" for instance; only the program
// icon at 100 % is a plain icon resource, MAINICON, which the system shows
// for the file too.
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

// The bytes of the picture of that name in an inflated bundle: each is its
// name, a zero byte, its length in 4 bytes (little-endian) and its bytes.
// Empty when the bundle has none of that name, or is cut short before it.
std::vector<uint8_t> PictureInBundle(const std::vector<uint8_t>& bundle, const char* name);

// An icon picture at size pixels, one the build drew for that scale (else
// the system fits the 100 % picture); empty when missing.
TIconHandle LoadArtIcon(const char* name, int artScale, int size);
