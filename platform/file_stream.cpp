#include "platform/file_stream.h"

#include "platform/file_system.h"

#include <windows.h>

TFileStream::TFileStream(const std::string& path)
{
    // CREATE_ALWAYS would write through a link planted under the name.
    if (IsReparsePoint(path))
        RaiseCreateError(path, ERROR_CANT_RESOLVE_FILENAME);
    handle_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
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
