// Read access to a string-named resource of a loaded module.
// Portable: no Windows headers.
#pragma once

#include "platform/stream.h"
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

// Opens the program's own file, shared for reading only, and holds it for
// the process's life, so that nobody can change, move or replace it while
// the program runs. Call it first thing; later calls do nothing.
void HoldProgramFile();

// Where a resource stream reads: the mapped image, or the program's own
// file when the held file is shown to be the one the image was mapped from.
// What is read from the file stays in the file cache, not in the process's
// memory, however large the payload; it falls back to the image. A name is
// no proof: what the file gives must still be checked against the image.
enum class TResourceRead { Image, File };

// A resource of the running program as a read-only stream. Raises
// "Resource %s not found".
class TResourceStream final : public TStream {
public:
    TResourceStream(const char* type, const std::string& name, TResourceRead read);

    int32_t Size() override { return static_cast<int32_t>(resource_.Length()); }
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void*, int32_t) override { return 0; }
    int32_t Seek(int32_t offset, uint16_t origin) override;

    // Whether the bytes come from the program's file.
    bool FromFile() const { return file_ != nullptr; }

private:
    TResourceData resource_;
    void* file_ = nullptr;
    uint32_t fileOffset_ = 0;
    int32_t position_ = 0;
};
