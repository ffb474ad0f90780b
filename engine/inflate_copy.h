// The extraction's copy loop: one inflate of a compressed resource into a
// byte stream. Portable: zlib only.
#pragma once

#include "platform/stream.h"

#include <cstdint>

// Inflates the zlib stream at offset 0 of compressed into target, in pieces
// of at most 61,440 bytes, and returns the inflated length. Damaged or cut
// data raises "data error" (or another zlib text), a write the target takes
// only in part "Stream write error", more than 2^31 - 1 inflated bytes
// "Range check error". What the target took before a failure is the
// caller's to discard.
int32_t CopyInflated(TStream& compressed, TStream& target);
