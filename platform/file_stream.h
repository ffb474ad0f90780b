// A byte stream over a file that the installer writes. Portable: no Windows headers.
#pragma once

#include "platform/stream.h"
#include "platform/unique_handle.h"

#include <string>

// Makes the file anew for exclusive read and write access: what is at the
// path is deleted first, never opened for writing (a second name of a file
// elsewhere stays untouched), and the new file is made only where nothing is.
// A junction or symbolic link in its place is refused and left, not
// followed; so is a read-only file, and anything put there meanwhile. With
// the folder held (TUserFolder), the file is where its path says.
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
