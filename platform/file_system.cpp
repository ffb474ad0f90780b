#include "platform/file_system.h"

#include "platform/handle.h"

#include <sddl.h>

#include <vector>

namespace {

// What Program Files gives: SYSTEM and Administrators full control, Users
// read and execute, each inherited by files and folders below; protected,
// so that nothing comes in from the parent.
const char* const ProtectedFolderDacl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Creates path and its missing parents; the first folder actually made,
// the topmost, takes *topmost (then cleared), the ones below inherit.
bool MakeFolders(std::string path, SECURITY_ATTRIBUTES*& topmost)
{
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    const auto slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 0) {
        const std::string parent = path.substr(0, slash);
        // Stop at a drive root or a UNC share: those cannot be created.
        if (parent.size() > 2 || (parent.size() == 2 && parent[1] != ':'))
            MakeFolders(parent, topmost);
    }
    if (CreateDirectoryA(path.c_str(), topmost)) {
        topmost = nullptr;
        return true;
    }
    return DirectoryExists(path);
}

} // namespace

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

bool FileExists(const std::string& path)
{
    WIN32_FIND_DATAA data;
    TFindHandle find(FindFirstFileA(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateSingleFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool IsReparsePoint(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool ForceDirectories(std::string path, bool protect)
{
    SECURITY_ATTRIBUTES* topmost = nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    TLocalMemory descriptor;
    if (protect) {
        // Without the descriptor nothing is made: an open folder is worse than none.
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(ProtectedFolderDacl, SDDL_REVISION_1,
                                                                  descriptor.put(), nullptr))
            return false;
        attributes.lpSecurityDescriptor = descriptor.get();
        topmost = &attributes;
    }
    return MakeFolders(std::move(path), topmost);
}

bool DeleteFileAt(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0;
}

std::string IncludeTrailingBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == '\\')
        return path;
    return path + '\\';
}
