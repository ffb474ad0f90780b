#include "engine/extract_resource.h"

#include "engine/zstream.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/resource.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {
constexpr int32_t CopyBufferSize = 61440;
}

bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName)
{
    bool result = false;
    TResourceData resource(nullptr, "BINARY", ResourceName);

    TMemoryStream compressed;
    compressed.SetSize(static_cast<int32_t>(resource.Length()));
    compressed.WriteBuffer(resource.Data(), static_cast<int32_t>(resource.Length()));
    compressed.SetPosition(0);

    // Declared so that destruction runs stream, file, copy, resource.
    std::optional<TFileStream> target;
    auto inflater = std::make_unique<TZDecompressionStream>(compressed);

    // The sizing pass checks the data before the target is created, so a
    // damaged resource leaves an existing file as it was.
    inflater->Seek(0, soBeginning);
    int32_t remaining = inflater->Size();

    target.emplace(TargetPath);
    if (remaining > 0) {
        std::vector<uint8_t> buffer(static_cast<size_t>(std::min(remaining, CopyBufferSize)));
        while (remaining > 0) {
            const int32_t n = std::min(remaining, static_cast<int32_t>(buffer.size()));
            inflater->ReadBuffer(buffer.data(), n);
            target->WriteBuffer(buffer.data(), n);
            remaining -= n;
        }
    }

    inflater.reset();
    target.reset();
    result = FileExists(TargetPath);
    return result;
}
