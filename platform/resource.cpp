#include "platform/resource.h"

#include "platform/errors.h"

#include <windows.h>

bool HasResource(const char* type, const std::string& name)
{
    return FindResourceA(GetModuleHandleA(nullptr), name.c_str(), type) != nullptr;
}

TResourceData::TResourceData(void* module, const char* type, const std::string& name)
{
    HMODULE owner = module ? static_cast<HMODULE>(module) : GetModuleHandleA(nullptr);
    // Names are matched case-insensitively: the system upper-cases the request.
    HRSRC info = FindResourceA(owner, name.c_str(), type);
    if (!info)
        throw EResNotFound(name);
    handle_.reset(LoadResource(owner, info));
    if (!handle_)
        throw EResNotFound(name);
    data_ = LockResource(handle_.get());
    length_ = SizeofResource(owner, info);
    if (!data_ && length_ != 0)
        throw EResNotFound(name);
}
