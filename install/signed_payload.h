// The payload's resources, each checked against the digest the image holds
// for it as it is unpacked.
#pragma once

#include <string>

// Extracts the payload or device resource of the manifest named
// resourceName into targetPath (ExtractResource) with the digest the build
// put in the image for it. False when its bytes, as read, are not those;
// raises "Resource %s not found" for a name the manifest does not list.
bool ExtractPayload(const std::string& targetPath, const std::string& resourceName);
