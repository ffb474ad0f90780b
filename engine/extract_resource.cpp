#include "engine/extract_resource.h"

#include "engine/inflate_copy.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"
#include "platform/resource.h"

namespace {

// The resource's bytes copied into memory, the decompressing stream's
// source; the copy grows to exactly the resource's length in one step.
void CopyResource(const char* type, const std::string& name, TMemoryStream& copy)
{
    TResourceData resource(nullptr, type, name);
    copy.SetSize(static_cast<int32_t>(resource.Length()));
    copy.WriteBuffer(resource.Data(), static_cast<int32_t>(resource.Length()));
}

} // namespace

bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName)
{
    TMemoryStream compressed;
    CopyResource("BINARY", ResourceName, compressed);
    {
        TReplacementFile target(TargetPath);
        CopyInflated(compressed, target.Stream());
        target.Commit();
    }
    return FileExists(TargetPath);
}

std::vector<uint8_t> InflateResource(const char* type, const std::string& name)
{
    TMemoryStream compressed;
    CopyResource(type, name, compressed);
    TMemoryStream inflated;
    CopyInflated(compressed, inflated);
    return std::vector<uint8_t>(inflated.Memory(), inflated.Memory() + inflated.Size());
}
