// Read access to a string-named resource of a loaded module.
#pragma once

#include "platform/handle.h"

#include <cstdint>
#include <string>

// A located and loaded resource; released (FreeResource) with the object.
class TResourceData {
public:
    // Finds type/name in module (null: the running program's own module);
    // raises "Resource %s not found" when it is missing or cannot be loaded.
    TResourceData(HMODULE module, const char* type, const std::string& name);

    const void* Data() const { return data_; }
    uint32_t Length() const { return length_; }

private:
    TResourceHandle handle_;
    const void* data_ = nullptr;
    uint32_t length_ = 0;
};

// A module mapped as data only, for reading another executable's resources.
TModuleHandle LoadModuleAsData(const std::string& path);
