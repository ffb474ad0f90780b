// Read access to a string-named resource of a loaded module.
// Portable: no Windows headers.
#pragma once

#include "platform/unique_handle.h"

#include <cstdint>
#include <string>

// Whether the running program has a resource of that type and name.
bool HasResource(const char* type, const std::string& name);

// A located and loaded resource; released (FreeResource) with the object.
class TResourceData {
public:
    // Finds type/name in the module (an HMODULE; null: the running program);
    // raises "Resource %s not found" when it is missing or cannot be loaded.
    TResourceData(void* module, const char* type, const std::string& name);

    const void* Data() const { return data_; }
    uint32_t Length() const { return length_; }

private:
    TResourceHandle handle_;
    const void* data_ = nullptr;
    uint32_t length_ = 0;
};
