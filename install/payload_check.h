// What must hold before the first payload file is written, so that an
// installation that cannot finish changes none of them.
#pragma once

#include <cstdint>
#include <string>

// Bytes rounded up to whole clusters of cluster bytes: with a mask, since
// a 64-bit division would link the compiler's division helpers.
uint64_t WholeClusters(uint64_t bytes, uint32_t cluster);

// The most room the installation needs at any moment on the volume of
// installDir, in whole clusters of that size: every file it writes there,
// in the order it writes them, each new one beside the old one until it is
// complete (the log, the payload, the two web-page shortcuts and all the
// device files it could copy into devicesFolder). With payloadAtOnce, every
// new payload file may stand beside every old one, as when the payload is
// extracted on two threads.
uint64_t PeakSpaceNeeded(const std::string& installDir, const std::string& devicesFolder, uint32_t clusterSize,
                         bool payloadAtOnce = false);

// Raises the create-file message for the first payload target in installDir
// that could not be replaced now (read-only, or open in another program),
// or, when the volume has no room for PeakSpaceNeeded, for the first payload
// file with the system's text for a full disk. Returns whether the volume
// has room for the payload at once too, or its room is not known.
bool CheckPayloadTargets(const std::string& installDir, const std::string& devicesFolder);
