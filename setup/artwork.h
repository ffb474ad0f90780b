// The window's pictures, drawn at build time for each display scale: 100,
// 125, 150 or 200 % (ArtScale). They are compressed resources of type
// ARTWORK under the name with the scale added ("GLYPH_BACK_150"); only the
// program icon at 100 % is a plain icon resource, MAINICON, which the
// system shows for the file too.
#pragma once

#include "platform/handle.h"

// A bitmap picture as a device-independent bitmap; raises "Cannot load the
// glyph ..." when it is missing.
TBitmapHandle LoadArtBitmap(const char* name, int artScale);

// An icon picture at size pixels, one the build drew for that scale (else
// the system fits the 100 % picture); empty when missing.
TIconHandle LoadArtIcon(const char* name, int artScale, int size);
