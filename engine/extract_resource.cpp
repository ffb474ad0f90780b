#include "engine/extract_resource.h"

#include "engine/inflate_copy.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"
#include "platform/resource.h"

bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName)
{
    TResourceData resource(nullptr, "BINARY", ResourceName);

    TMemoryStream compressed;
    compressed.SetSize(static_cast<int32_t>(resource.Length()));
    compressed.WriteBuffer(resource.Data(), static_cast<int32_t>(resource.Length()));

    {
        TReplacementFile target(TargetPath);
        CopyInflated(compressed, target.Stream());
        target.Commit();
    }
    return FileExists(TargetPath);
}

std::vector<uint8_t> InflateResource(const char* type, const std::string& name)
{
    TResourceData resource(nullptr, type, name);
    TMemoryStream compressed;
    compressed.WriteBuffer(resource.Data(), static_cast<int32_t>(resource.Length()));
    TMemoryStream inflated;
    CopyInflated(compressed, inflated);
    return std::vector<uint8_t>(inflated.Memory(), inflated.Memory() + inflated.Size());
}
