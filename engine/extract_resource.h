// Unpacks one payload resource of the running program into a file.
#pragma once

#include "platform/sha256.h"

#include <cstdint>
#include <string>
#include <vector>

// Inflates resource BINARY/ResourceName of the program's own module into
// TargetPath. The data is inflated once, into a new file beside the target,
// which replaces the target in one step only when every byte has been
// written, the stream's checksum has matched and the resource's bytes, as
// read, have the digest the image holds for them (SignedDigest). On any
// failure the target is as it was and the new file is gone. Returns whether
// the file exists afterwards, false also for bytes of another digest; every
// other failure on the way is an exception.
bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName,
                     const TSha256Digest& SignedDigest);

// The bytes a zlib-compressed resource of the program's own module inflates
// to. Raises "Resource %s not found", or the stream's errors when damaged.
std::vector<uint8_t> InflateResource(const char* type, const std::string& name);
