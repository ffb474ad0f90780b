#include "platform/file_stream.h"

#include "platform/file_system.h"

#include <windows.h>

namespace {

// Deletes what is at path unless it is a link or read-only; 0, or why not.
unsigned long RemoveOldFile(const std::string& path)
{
    // Opened as itself, not as what a link names, and not shared; a folder
    // opens too, to be refused below.
    const TFileHandle old(CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!old) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    unsigned long attributes = 0;
    bool isLink = false;
    if (const unsigned long error = EntryKindOf(old.get(), attributes, isLink))
        return error;
    // The second test for systems that follow a link whatever the flag says
    // (Wine): what was opened must be what the path names.
    if (isLink || !IsAtPath(old.get(), path))
        return ERROR_CANT_RESOLVE_FILENAME;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    return DisposeOpenFile(old.get()) ? ERROR_SUCCESS : GetLastError();
}

} // namespace

TFileStream::TFileStream(const std::string& path)
{
    // Replacing in place (CREATE_ALWAYS) would write through a link planted
    // under the name, or into every other name of a hard-linked file.
    if (const unsigned long error = RemoveOldFile(path))
        RaiseCreateError(path, error);
    handle_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle_)
        RaiseCreateError(path, GetLastError());
}

int32_t TFileStream::Read(void* buffer, int32_t count)
{
    DWORD done = 0;
    if (count <= 0 || !ReadFile(handle_.get(), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return static_cast<int32_t>(done);
}

int32_t TFileStream::Write(const void* buffer, int32_t count)
{
    DWORD done = 0;
    if (count <= 0 || !WriteFile(handle_.get(), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return static_cast<int32_t>(done);
}

int32_t TFileStream::Seek(int32_t offset, uint16_t origin)
{
    const DWORD method = origin == soEnd ? FILE_END : origin == soCurrent ? FILE_CURRENT : FILE_BEGIN;
    return static_cast<int32_t>(SetFilePointer(handle_.get(), offset, nullptr, method));
}

bool TFileStream::Flush()
{
    return FlushFileBuffers(handle_.get()) != 0;
}
