// The payload's resources, each checked against the digest the image holds
// for it as it is unpacked.
#pragma once

#include "engine/extract_resource.h"

#include <string>

// Extracts the payload or device resource of the manifest named
// resourceName for targetPath (TExtractedFile), with the digest the build
// put in the image for it: refused when its bytes, as read, are not those.
// Raises "Resource %s not found" for a name the manifest does not list. Safe
// to call on two threads at once.
TExtractedFile ExtractPayload(const std::string& targetPath, const std::string& resourceName);
