// A byte stream over a file that the installer writes. Portable: no Windows headers.
#pragma once

#include "platform/stream.h"
#include "platform/unique_handle.h"

#include <string>

// Creates or replaces the file for exclusive read and write access
// (CREATE_ALWAYS, no sharing); an existing file is emptied on opening, a
// junction or symbolic link in its place is refused, not followed.
// Raises "Cannot create file "<full path>". <system text>" on failure.
class TFileStream final : public TStream {
public:
    explicit TFileStream(const std::string& path);
    // A stream over a file opened elsewhere; the stream owns the handle.
    explicit TFileStream(TFileHandle handle) : handle_(std::move(handle)) {}

    int32_t Read(void* buffer, int32_t count) override;
    // A failed write counts as 0 bytes taken.
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, uint16_t origin) override;

    // Forces what was written onto the disk; false when the system refuses.
    bool Flush();
    // The file's handle, still owned by the stream.
    void* Handle() const { return handle_.get(); }
    // Closes the handle now; the stream is unusable afterwards.
    void Close() { handle_.reset(); }

private:
    TFileHandle handle_;
};
