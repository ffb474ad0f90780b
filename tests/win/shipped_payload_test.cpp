// Every payload resource of the built setup.exe inflates to the file it was
// made from and has the digest the build recorded for it.
#include "engine/inflate_copy.h"
#include "engine/product_manifest.h"
#include "packed_payload.h"
#include "platform/data_module.h"
#include "platform/resource.h"
#include "platform/sha256.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;

namespace {

BOOL CALLBACK CountResource(HMODULE, LPCSTR, LPSTR, LONG_PTR count)
{
    ++*reinterpret_cast<unsigned*>(count);
    return TRUE;
}

} // namespace

TEST(ShippedPayload, EveryResourceInflatesToItsPayloadFile)
{
    const std::string setupExe = Env("QOVA_SETUP_EXE");
    const std::string payloadDir = Env("QOVA_PAYLOAD_DIR");
    ASSERT_FALSE(setupExe.empty());
    TModuleHandle module = LoadModuleAsData(setupExe);
    ASSERT_TRUE(module) << setupExe;

    std::vector<ProductManifest::TPayloadRow> rows(ProductManifest::PayloadTable.begin(),
                                                   ProductManifest::PayloadTable.end());
    rows.insert(rows.end(), ProductManifest::DeviceTable.begin(), ProductManifest::DeviceTable.end());
    std::vector<TPackedDigest> digests(PayloadDigests.begin(), PayloadDigests.end());
    digests.insert(digests.end(), DeviceDigests.begin(), DeviceDigests.end());
    // The manifest's rows, and no other payload resource.
    unsigned binaries = 0;
    EnumResourceNamesA(static_cast<HMODULE>(module.get()), "BINARY", CountResource,
                       reinterpret_cast<LONG_PTR>(&binaries));
    ASSERT_EQ(rows.size(), binaries);
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        TResourceData resource(module.get(), "BINARY", row.ResourceName);
        const auto* bytes = static_cast<const uint8_t*>(resource.Data());
        // The packer's digest (OpenSSL's) is the system's of what ships.
        TSha256 hash;
        hash.Update(resource.Data(), resource.Length());
        EXPECT_EQ(digests[i], hash.Finish()) << row.ResourceName;
        // One zlib stream: deflate with a 32 KB window, no preset dictionary.
        ASSERT_GE(resource.Length(), 6u) << row.ResourceName;
        EXPECT_EQ(0x78, bytes[0]) << row.ResourceName;
        EXPECT_EQ(0, bytes[1] & 0x20) << row.ResourceName;
        EXPECT_EQ(0, (bytes[0] * 256 + bytes[1]) % 31) << row.ResourceName;

        TMemoryStream source;
        source.WriteBuffer(resource.Data(), static_cast<int32_t>(resource.Length()));
        source.SetPosition(0);
        TMemoryStream inflated;
        CopyInflated(source, inflated);
        EXPECT_EQ(source.Size(), source.Position()) << row.ResourceName << ": bytes after the stream";
        EXPECT_EQ(ReadBytes(payloadDir + "\\" + row.FileName),
                  std::vector<unsigned char>(inflated.Memory(), inflated.Memory() + inflated.Size()))
            << row.FileName;
    }
}
