// What must hold before the first payload file is written, so that an
// installation that cannot finish changes none of them.
#pragma once

#include <string>

// Raises the create-file message for the first payload target in installDir
// that could not be replaced now (read-only, or open in another program),
// or, when the volume has no room for the payload and the log, for the
// first payload file with the system's text for a full disk.
void CheckPayloadTargets(const std::string& installDir);
