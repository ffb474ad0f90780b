#include "install/payload_check.h"

#include "engine/product_manifest.h"
#include "packed_payload.h"
#include "platform/file_system.h"

#include <algorithm>

using namespace ProductManifest;

namespace {

// The log's entries: some 40 paths of at most 260 characters each.
constexpr uint64_t LogAllowance = 16 * 1024;
// A web-page shortcut: its address and icon path, well under this.
constexpr uint64_t UrlAllowance = 1024;

} // namespace

uint64_t WholeClusters(uint64_t bytes, uint32_t cluster)
{
    // A volume's clusters are a power of two; anything else counts as the next.
    uint64_t unit = 1;
    while (unit < cluster)
        unit <<= 1;
    return (bytes + unit - 1) & ~(unit - 1);
}

namespace {

bool IsWritten(size_t row, const std::string& installDir)
{
    return !(IsPreserved(PayloadTable[row].FileName) && FileExists(installDir + PayloadTable[row].FileName));
}

} // namespace

uint64_t PeakSpaceNeeded(const std::string& installDir, const std::string& devicesFolder, uint32_t clusterSize,
                         bool payloadAtOnce)
{
    const auto clusters = [&](uint64_t bytes) { return static_cast<int64_t>(WholeClusters(bytes, clusterSize)); };
    int64_t extra = 0, peak = 0;
    // A file written beside an old one, which goes once the new one is complete.
    const auto replace = [&](const std::string& path, uint64_t size) {
        const int64_t old = FileSizeAt(path);
        peak = std::max(peak, extra + clusters(size));
        extra += clusters(size) - (old < 0 ? 0 : clusters(static_cast<uint64_t>(old)));
    };
    const auto add = [&](uint64_t size) {
        extra += clusters(size);
        peak = std::max(peak, extra);
    };
    add(LogAllowance);
    // At once: every new payload file beside every old one.
    int64_t allAtOnce = extra;
    for (size_t row = 0; row < PayloadTable.size(); ++row)
        if (IsWritten(row, installDir)) {
            allAtOnce += clusters(PayloadInflatedSizes[row]);
            replace(installDir + PayloadTable[row].FileName, PayloadInflatedSizes[row]);
        }
    if (payloadAtOnce)
        peak = std::max(peak, allAtOnce);
    add(UrlAllowance);
    add(UrlAllowance);
    for (size_t row = 0; row < DeviceTable.size(); ++row)
        replace(devicesFolder + "\\" + DeviceTable[row].FileName, DeviceInflatedSizes[row]);
    return static_cast<uint64_t>(peak);
}

bool CheckPayloadTargets(const std::string& installDir, const std::string& devicesFolder)
{
    const char* firstWritten = nullptr;
    for (size_t row = 0; row < PayloadTable.size(); ++row) {
        if (!IsWritten(row, installDir))
            continue;
        CheckReplaceable(installDir + PayloadTable[row].FileName);
        if (!firstWritten)
            firstWritten = PayloadTable[row].FileName;
    }
    TVolumeSpace space;
    if (!firstWritten || !QueryVolumeSpace(installDir, space))
        return true;
    if (PeakSpaceNeeded(installDir, devicesFolder, space.ClusterSize) > space.FreeBytes)
        RaiseDiskFull(installDir + firstWritten);
    return PeakSpaceNeeded(installDir, devicesFolder, space.ClusterSize, true) <= space.FreeBytes;
}
