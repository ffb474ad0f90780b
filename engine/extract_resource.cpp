#include "engine/extract_resource.h"

#include "engine/inflate_copy.h"
#include "platform/file_system.h"
#include "platform/replacement_file.h"
#include "platform/resource.h"

bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName)
{
    TResourceStream compressed("BINARY", ResourceName, TResourceRead::File);
    {
        TReplacementFile target(TargetPath);
        CopyInflated(compressed, target.Stream());
        target.Commit();
    }
    return FileExists(TargetPath);
}

std::vector<uint8_t> InflateResource(const char* type, const std::string& name)
{
    // Its bytes end up in memory anyway.
    TResourceStream compressed(type, name, TResourceRead::Image);
    TMemoryStream inflated;
    CopyInflated(compressed, inflated);
    return std::vector<uint8_t>(inflated.Memory(), inflated.Memory() + inflated.Size());
}
