#include "platform/resource.h"

#include "platform/errors.h"
#include "platform/worker_thread.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

bool SamePath(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Whether the open file is the one the running image was mapped from. The
// system names the image's file as it is named now, after any move, in the
// kernel's form (Wine: "\??\" and the DOS path).
bool IsOwnImage(HANDLE file)
{
    constexpr DWORD Length = 32768;
    std::wstring mapped(Length, L'\0'), kernel(Length, L'\0'), dos(Length, L'\0');
    // Kernel32's own since Windows 7: no psapi to load.
    if (!GetMappedFileNameW(GetCurrentProcess(), GetModuleHandleA(nullptr), &mapped[0], Length))
        return false;
    const DWORD kernelLength = GetFinalPathNameByHandleW(file, &kernel[0], Length, VOLUME_NAME_NT);
    const DWORD dosLength = GetFinalPathNameByHandleW(file, &dos[0], Length, VOLUME_NAME_DOS);
    if (kernelLength > 0 && kernelLength < Length && SamePath(mapped.c_str(), kernel.c_str()))
        return true;
    return dosLength > 4 && dosLength < Length && std::wcsncmp(mapped.c_str(), L"\\??\\", 4) == 0 &&
           std::wcsncmp(dos.c_str(), L"\\\\?\\", 4) == 0 && SamePath(mapped.c_str() + 4, dos.c_str() + 4);
}

HANDLE OpenOwnImageFile()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return nullptr;
    // Read sharing only: while it is held, the file cannot be written,
    // renamed or deleted, so what was checked is what is read.
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !IsOwnImage(file.get()))
        return nullptr;
    return file.release();
}

TLock FilePositionLock;

// Opened at the start (or the first use) and kept for the process's life;
// null when the file cannot be shown to be the image's.
HANDLE OwnImageFile()
{
    static const HANDLE file = OpenOwnImageFile();
    return file;
}

// Where the mapped bytes lie in the image's file: inside one section's
// data as stored in the file.
bool FileOffsetOf(const void* data, uint32_t length, uint32_t& offset)
{
    const auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* at = static_cast<const uint8_t*>(data);
    if (at < base)
        return false;
    const uintptr_t rva = static_cast<uintptr_t>(at - base);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (rva < section->VirtualAddress)
            continue;
        const uintptr_t inside = rva - section->VirtualAddress;
        if (inside <= section->SizeOfRawData && length <= section->SizeOfRawData - inside) {
            offset = static_cast<uint32_t>(section->PointerToRawData + inside);
            return true;
        }
    }
    return false;
}

} // namespace

void HoldProgramFile()
{
    OwnImageFile();
}

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

TResourceStream::TResourceStream(const char* type, const std::string& name, TResourceRead read)
    : resource_(nullptr, type, name)
{
    if (read != TResourceRead::File)
        return;
    if (HANDLE file = OwnImageFile(); file && FileOffsetOf(resource_.Data(), resource_.Length(), fileOffset_))
        file_ = file;
}

int32_t TResourceStream::Read(void* buffer, int32_t count)
{
    const int32_t length = std::min(count, Size() - position_);
    if (length <= 0)
        return 0;
    if (!file_) {
        std::memcpy(buffer, static_cast<const uint8_t*>(resource_.Data()) + position_, static_cast<size_t>(length));
        position_ += length;
        return length;
    }
    // Streams share the handle, not a position: each read seeks first, under
    // the lock, as streams on two threads read at once. Not through an
    // OVERLAPPED offset, which asks the system to post a completion for
    // every read (under Wine a server call each).
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(fileOffset_) + position_;
    DWORD got = 0;
    const TLockHolder holder(FilePositionLock);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
        !ReadFile(file_, buffer, static_cast<DWORD>(length), &got, nullptr))
        return 0;
    position_ += static_cast<int32_t>(got);
    return static_cast<int32_t>(got);
}

int32_t TResourceStream::Seek(int32_t offset, uint16_t origin)
{
    const int64_t from = origin == soCurrent ? position_ : origin == soEnd ? Size() : 0;
    position_ = static_cast<int32_t>(std::clamp<int64_t>(from + offset, 0, Size()));
    return position_;
}
