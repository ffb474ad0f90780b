#include "install/signed_payload.h"

#include "engine/product_manifest.h"
#include "packed_payload.h"
#include "platform/errors.h"

#include <cstddef>

using namespace ProductManifest;

namespace {

template <typename Rows, typename Digests>
const TPackedDigest* DigestOf(const Rows& rows, const Digests& digests, const std::string& name)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (name == rows[i].ResourceName)
            return &digests[i];
    return nullptr;
}

} // namespace

TExtractedFile ExtractPayload(const std::string& targetPath, const std::string& resourceName)
{
    const TPackedDigest* digest = DigestOf(PayloadTable, PayloadDigests, resourceName);
    if (!digest)
        digest = DigestOf(DeviceTable, DeviceDigests, resourceName);
    if (!digest)
        throw EResNotFound(resourceName);
    return TExtractedFile(targetPath, resourceName, *digest);
}
