#include "platform/file_system.h"

#include "platform/errors.h"
#include "platform/handle.h"
#include "platform/text_encoding.h"
#include "platform/win_error.h"

#include <algorithm>
#include <vector>

std::string FullPathName(const std::string& path)
{
    char small[MAX_PATH];
    char* part = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), sizeof small, small, &part);
    if (n == 0)
        return path;
    if (n < sizeof small)
        return std::string(small, n);
    std::vector<char> big(n);
    n = GetFullPathNameA(path.c_str(), n, big.data(), &part);
    return n == 0 || n >= big.size() ? path : std::string(big.data(), n);
}

namespace {

// The first backslash after the root (C:\ or \\server\share\), or npos.
std::size_t RootLength(const std::string& path)
{
    if (path.size() >= 3 && path[1] == ':')
        return 3;
    const std::size_t share = path.find('\\', 2);
    const std::size_t end = share == std::string::npos ? std::string::npos : path.find('\\', share + 1);
    return end == std::string::npos ? path.size() : end + 1;
}

// "\\?\C:\x" and "\\?\UNC\server\share\x" as the paths they stand for.
std::string WithoutPrefix(std::string path)
{
    if (path.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

std::string FinalPathOf(void* handle)
{
    char small[MAX_PATH];
    DWORD n = GetFinalPathNameByHandleA(handle, small, sizeof small, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0)
        return {};
    if (n < sizeof small)
        return WithoutPrefix(std::string(small, n));
    std::vector<char> big(n);
    n = GetFinalPathNameByHandleA(handle, big.data(), n, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return n == 0 || n >= big.size() ? std::string() : WithoutPrefix(std::string(big.data(), n));
}

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(ExcludeTrailingBackslash(a).c_str(), ExcludeTrailingBackslash(b).c_str()) == 0;
}

} // namespace

std::vector<std::string> FoldersOnTheWay(const std::string& fullPath)
{
    const std::size_t root = RootLength(fullPath);
    std::vector<std::string> folders{fullPath.substr(0, root)};
    for (std::size_t end = root; end <= fullPath.size(); ++end) {
        if (end != fullPath.size() && fullPath[end] != '\\')
            continue;
        if (end > 0 && fullPath[end - 1] != '\\')
            folders.push_back(fullPath.substr(0, end));
    }
    return folders;
}

bool FileExists(const std::string& path)
{
    // The attributes are one query; the folder's listing is asked only when
    // they cannot be read, as of a file in use that refuses even that.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
        return false;
    WIN32_FIND_DATAA data;
    TFindHandle find(FindFirstFileA(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsReparsePoint(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsPlainFile(const std::string& path)
{
    const TFileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    return file && GetFileInformationByHandle(file.get(), &information) &&
           (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
           information.nNumberOfLinks == 1;
}

unsigned long ListFolder(void* folder, std::vector<TFolderEntry>& entries)
{
    entries.clear();
    // 8-byte alignment, as the records the system writes into it need.
    std::vector<LONGLONG> buffer(8192);
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder, kind, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
        kind = FileIdBothDirectoryInfo;
        const auto* record = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(record);
            const std::string name = WideToAnsi(std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR)));
            if (name != "." && name != "..")
                entries.push_back({name, (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                   (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
            if (info->NextEntryOffset == 0)
                break;
            record += info->NextEntryOffset;
        }
    }
    // Even an empty folder lists "." and "..": a first call that fails is
    // a folder that cannot be listed.
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES || kind == FileIdBothDirectoryRestartInfo) {
        entries.clear();
        return error == ERROR_SUCCESS || error == ERROR_NO_MORE_FILES ? ERROR_INVALID_FUNCTION : error;
    }
    // In name order, whatever order the file system keeps: what is found
    // first, and reported, does not depend on it.
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return a.Name < b.Name; });
    return ERROR_SUCCESS;
}

unsigned long RemoveEmptyFolder(const std::string& path)
{
    return RemoveDirectoryA(path.c_str()) ? ERROR_SUCCESS : GetLastError();
}

void CheckReplaceable(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    DWORD error = ERROR_SUCCESS;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return;
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link in a target's place would take the new file elsewhere.
        error = ERROR_CANT_RESOLVE_FILENAME;
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        // Asked of the attribute itself: Windows refuses to replace such an
        // entry, but Wine run as root would write a read-only file.
        error = ERROR_ACCESS_DENIED;
    } else {
        // Write and delete access with no sharing: granted only when no one
        // else has the file open, as the rename over it will need.
        const TFileHandle probe(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (probe)
            return;
        error = GetLastError();
    }
    RaiseCreateError(path, error);
}

int64_t FileSizeAt(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool QueryVolumeSpace(const std::string& path, TVolumeSpace& space)
{
    std::string folder = path;
    while (!folder.empty() && !DirectoryExists(folder)) {
        while (!folder.empty() && folder.back() == '\\')
            folder.pop_back();
        const auto slash = folder.find_last_of('\\');
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    }
    if (folder.empty())
        return false;
    folder = IncludeTrailingBackslash(folder);
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr))
        return false;
    space.FreeBytes = available.QuadPart;
    // The allocation unit is a property of the volume, asked at its root.
    char root[MAX_PATH];
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (GetVolumePathNameA(folder.c_str(), root, sizeof root) &&
        GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        space.ClusterSize = sectorsPerCluster * bytesPerSector;
    if (space.ClusterSize == 0)
        space.ClusterSize = 4096;
    return true;
}

void RaiseCreateError(const std::string& path, unsigned long errorCode)
{
    throw EFCreateError(FullPathName(path), SystemErrorText(errorCode));
}

void RaiseDiskFull(const std::string& path)
{
    RaiseCreateError(path, ERROR_DISK_FULL);
}

bool CreateNewFile(const std::string& path)
{
    return TFileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
        .operator bool();
}

bool DeleteFileAt(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0;
}

bool DisposeOpenFile(void* handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

void DeleteUnsharedFile(const std::string& path)
{
    // No sharing: granted only while no one else has the file open, and no
    // one can open it until it is gone. Without backup semantics a folder
    // of the name does not open.
    const TFileHandle file(
        CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return;
        RaiseCreateError(path, error);
    }
    // Where a link is followed whatever the flag says (Wine), what it names
    // is not deleted.
    if (!IsAtPath(file.get(), path))
        RaiseCreateError(path, ERROR_CANT_RESOLVE_FILENAME);
    if (!DisposeOpenFile(file.get()))
        RaiseCreateError(path, GetLastError());
}

std::string IncludeTrailingBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == '\\')
        return path;
    return path + '\\';
}

std::string ExcludeTrailingBackslash(std::string path)
{
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

unsigned long EntryKindOf(void* handle, unsigned long& attributes, bool& isLink)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        return GetLastError();
    attributes = tag.FileAttributes;
    isLink = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
    return ERROR_SUCCESS;
}

bool IsAtPath(void* handle, const std::string& path)
{
    const std::string final = FinalPathOf(handle);
    if (final.empty())
        return false;
    const std::string full = FullPathName(path);
    if (SamePath(final, full))
        return true;
    // The system gives long names; the path may hold short ones.
    char small[MAX_PATH];
    const DWORD n = GetLongPathNameA(full.c_str(), small, sizeof small);
    return n > 0 && n < sizeof small && SamePath(final, std::string(small, n));
}
