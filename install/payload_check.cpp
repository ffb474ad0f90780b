#include "install/payload_check.h"

#include "engine/product_manifest.h"
#include "install/install_files.h"
#include "payload_sizes.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cstdint>

using namespace ProductManifest;

namespace {

// The log's entries: some 40 paths of at most 260 characters each.
constexpr uint64_t LogAllowance = 16 * 1024;

// Bytes rounded up to whole clusters of a volume (cluster > 0). The
// remainder by shifts and subtractions: a 64-bit division would link the
// compiler's division helpers, 1.7 KB of setup.exe.
uint64_t WholeClusters(uint64_t bytes, uint32_t cluster)
{
    uint64_t remainder = 0;
    for (int bit = 63; bit >= 0; --bit) {
        remainder = remainder << 1 | ((bytes >> bit) & 1);
        if (remainder >= cluster)
            remainder -= cluster;
    }
    return remainder ? bytes + (cluster - remainder) : bytes;
}

} // namespace

void CheckPayloadTargets(const std::string& installDir)
{
    TVolumeSpace space;
    const bool spaceKnown = QueryVolumeSpace(installDir, space);
    const auto clusters = [&](uint64_t bytes) { return WholeClusters(bytes, space.ClusterSize); };
    // Each new file is written beside the old one, which goes only when the
    // new one is complete: the peak is counted file by file, in clusters.
    int64_t extra = spaceKnown ? static_cast<int64_t>(clusters(LogAllowance)) : 0;
    int64_t peak = extra;
    const char* firstWritten = nullptr;
    for (size_t row = 0; row < PayloadTable.size(); ++row) {
        const std::string path = installDir + PayloadTable[row].FileName;
        if (IsPreserved(PayloadTable[row].FileName) && FileExists(path))
            continue;
        CheckReplaceable(path);
        if (!firstWritten)
            firstWritten = PayloadTable[row].FileName;
        if (spaceKnown) {
            const auto added = static_cast<int64_t>(clusters(PayloadInflatedSizes[row]));
            const int64_t oldSize = FileSizeAt(path);
            peak = std::max(peak, extra + added);
            extra += added - (oldSize < 0 ? 0 : static_cast<int64_t>(clusters(static_cast<uint64_t>(oldSize))));
        }
    }
    if (firstWritten && spaceKnown && static_cast<uint64_t>(peak) > space.FreeBytes)
        RaiseDiskFull(installDir + firstWritten);
}
