#include "platform/resource.h"

#include "platform/errors.h"

TResourceData::TResourceData(HMODULE module, const char* type, const std::string& name)
{
    if (!module)
        module = GetModuleHandleA(nullptr);
    // Names are matched case-insensitively: the system upper-cases the request.
    HRSRC info = FindResourceA(module, name.c_str(), type);
    if (!info)
        throw EResNotFound(name);
    handle_.reset(LoadResource(module, info));
    if (!handle_)
        throw EResNotFound(name);
    data_ = LockResource(handle_.get());
    length_ = SizeofResource(module, info);
    if (!data_ && length_ != 0)
        throw EResNotFound(name);
}

TModuleHandle LoadModuleAsData(const std::string& path)
{
    return TModuleHandle(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}
