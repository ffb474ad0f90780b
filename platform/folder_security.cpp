#include "platform/folder_security.h"

#include "platform/file_system.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace {

// Program Files gives the same three entries. The installation folder adds
// the right to create subfolders (this folder only) and full control of
// each for its creator; the devices folder lets Users add files and change
// or delete what is in it.
const char* const ParentDacl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const char* const InstallationDacl =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;;0x4;;;BU)(A;OICIIO;FA;;;CO)";
const char* const DevicesDacl =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200ab;;;BU)(A;OICIIO;0x1301bf;;;BU)(A;OICIIO;FA;;;CO)";
// A file taken over: what the installation folder passes on to a new one.
const char* const FileDacl = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)";

constexpr DWORD ChangeRights = FILE_ADD_FILE | FILE_WRITE_EA | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE |
                               WRITE_DAC | WRITE_OWNER;
constexpr DWORD AnyWrite = ChangeRights | FILE_ADD_SUBDIRECTORY;
constexpr DWORD MoveRights = FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;

const char* const TrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    return IsWellKnownSid(sid, type) != FALSE;
}

// The user this process runs as, when it is an administrator.
PSID AdministratorUser()
{
    static std::vector<BYTE> user = [] {
        std::vector<BYTE> sid;
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
            return sid;
        const TKernelHandle token(raw);
        BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
        DWORD size = 0;
        BYTE administrators[SECURITY_MAX_SID_SIZE];
        DWORD administratorsSize = sizeof administrators;
        BOOL member = FALSE;
        if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size) ||
            !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administratorsSize) ||
            !CheckTokenMembership(nullptr, administrators, &member) || !member)
            return sid;
        const PSID own = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
        const auto* bytes = static_cast<const BYTE*>(own);
        sid.assign(bytes, bytes + GetLengthSid(own));
        return sid;
    }();
    return user.empty() ? nullptr : user.data();
}

bool IsAdministrative(PSID sid)
{
    if (IsWellKnown(sid, WinLocalSystemSid) || IsWellKnown(sid, WinBuiltinAdministratorsSid))
        return true;
    PSID installer = nullptr;
    bool trusted = false;
    if (ConvertStringSidToSidA(TrustedInstaller, &installer)) {
        trusted = EqualSid(sid, installer) != FALSE;
        LocalFree(installer);
    }
    const PSID user = AdministratorUser();
    return trusted || (user && EqualSid(sid, user));
}

// The descriptor of an SDDL text, or empty.
TLocalMemory Descriptor(const char* sddl)
{
    TLocalMemory descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, descriptor.put(), nullptr))
        descriptor.reset();
    return descriptor;
}

PACL DaclOf(const TLocalMemory& descriptor)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!descriptor || !GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted) || !present)
        return nullptr;
    return dacl;
}

// The privileges that let an administrator open what it does not own for
// its owner and permissions, enabled for the object's life.
class TTakeOwnershipPrivileges {
public:
    TTakeOwnershipPrivileges()
    {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
            return;
        token_.reset(raw);
        struct {
            DWORD Count;
            LUID_AND_ATTRIBUTES Privileges[2];
        } wanted{2, {}};
        if (!LookupPrivilegeValueA(nullptr, SE_RESTORE_NAME, &wanted.Privileges[0].Luid) ||
            !LookupPrivilegeValueA(nullptr, SE_TAKE_OWNERSHIP_NAME, &wanted.Privileges[1].Luid))
            return;
        wanted.Privileges[0].Attributes = wanted.Privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = sizeof previous_;
        // A token without them is left as it is; the opens below then fail.
        if (!AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted),
                                   sizeof previous_, reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), &size))
            previous_.Count = 0;
    }
    ~TTakeOwnershipPrivileges()
    {
        if (token_ && previous_.Count)
            AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), 0, nullptr,
                                  nullptr);
    }
    TTakeOwnershipPrivileges(const TTakeOwnershipPrivileges&) = delete;
    TTakeOwnershipPrivileges& operator=(const TTakeOwnershipPrivileges&) = delete;

private:
    TKernelHandle token_;
    struct {
        DWORD Count = 0;
        LUID_AND_ATTRIBUTES Privileges[2];
    } previous_;
};

// Opens the entry itself, never what a link there points at, to set its
// owner and permissions (rights no sharing mode stands against).
TFileHandle OpenForOwnership(const std::string& path)
{
    return TFileHandle(CreateFileA(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Administrators as owner, and the DACL; a system error code, 0 on success.
DWORD GiveToAdministrators(void* handle, const char* dacl)
{
    const TLocalMemory descriptor = Descriptor(dacl);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!descriptor || !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size))
        return GetLastError();
    return SetSecurityInfo(handle, SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                           administrators, nullptr, DaclOf(descriptor), nullptr);
}

void TakeOverEntry(const std::string& path, bool folder, const char* dacl)
{
    const TFileHandle entry = OpenForOwnership(path);
    if (!entry)
        RaiseCreateError(path, GetLastError());
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(entry.get(), &information))
        RaiseCreateError(path, GetLastError());
    // A second name would carry the change to a file elsewhere; a folder
    // that is a link would stand for one elsewhere.
    if ((!folder && information.nNumberOfLinks > 1) ||
        (folder && (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)))
        RaiseCreateError(path, ERROR_CANT_RESOLVE_FILENAME);
    if (const DWORD error = GiveToAdministrators(entry.get(), dacl))
        RaiseCreateError(path, error);
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

const char* FolderDescriptor(TFolderKind kind)
{
    switch (kind) {
    case TFolderKind::Parent:
        return ParentDacl;
    case TFolderKind::Installation:
        return InstallationDacl;
    case TFolderKind::Devices:
        return DevicesDacl;
    case TFolderKind::Inherited:
        break;
    }
    return "";
}

bool OthersMayChange(const void* descriptor, TFolderUse use, bool isRoot)
{
    auto* sd = const_cast<void*>(descriptor);
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    PACL dacl = nullptr;
    // An owner may always change the permissions.
    if (!sd || !GetSecurityDescriptorOwner(sd, &owner, &defaulted) || !owner || !IsAdministrative(owner))
        return true;
    if (!GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !present || !dacl)
        return true;
    const DWORD onItself = use == TFolderUse::Contents ? ChangeRights : MoveRights | (isRoot ? 0 : DELETE);
    const DWORD passedOn = use == TFolderUse::Contents ? AnyWrite : 0;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            return true;
        // Denials only take away; object entries have no place on files, so
        // one that grants is not understood and counts against the folder.
        if (header->AceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
            header->AceType == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE)
            return true;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
            continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        const PSID sid = &ace->SidStart;
        // The creator's entries name whoever creates something later; the
        // owner's rights belong to an owner found to be an administrator.
        if (IsAdministrative(sid) || IsWellKnown(sid, WinCreatorOwnerSid) || IsWellKnown(sid, WinCreatorGroupSid) ||
            IsWellKnown(sid, WinCreatorOwnerRightsSid))
            continue;
        DWORD mask = ace->Mask;
        MapGenericMask(&mask, &mapping);
        const bool applies = (header->AceFlags & INHERIT_ONLY_ACE) == 0;
        const bool passes = (header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != 0;
        if ((applies && (mask & onItself)) || (passes && (mask & passedOn)))
            return true;
    }
    return false;
}

TLocalMemory SecurityAt(const std::string& path)
{
    const TFileHandle entry(CreateFileA(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return entry ? SecurityOf(entry.get()) : TLocalMemory();
}

TLocalMemory SecurityOf(void* handle)
{
    TLocalMemory descriptor;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, descriptor.put()) != ERROR_SUCCESS)
        descriptor.reset();
    return descriptor;
}

void CreateOwnFolder(const std::string& path, TFolderKind kind)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    TLocalMemory descriptor;
    if (kind != TFolderKind::Inherited) {
        descriptor = Descriptor(FolderDescriptor(kind));
        if (!descriptor)
            RaiseCreateError(path, GetLastError());
        attributes.lpSecurityDescriptor = descriptor.get();
    }
    // "Already there" is a failure too: that folder is someone else's.
    if (!CreateDirectoryA(path.c_str(), &attributes))
        RaiseCreateError(path, GetLastError());
}

void CreateFolders(const std::string& path, TFolderKind kind)
{
    const std::string folder = ExcludeTrailingBackslash(path);
    const auto slash = folder.find_last_of('\\');
    if (slash != std::string::npos && slash > 0) {
        const std::string parent = folder.substr(0, slash);
        // A drive root or a UNC share cannot be created.
        const bool share = parent.rfind("\\\\", 0) == 0 && parent.find('\\', 2) == parent.find_last_of('\\');
        const bool root = parent.size() <= 2 || share;
        if (!root && !DirectoryExists(parent))
            CreateFolders(parent, kind == TFolderKind::Inherited ? kind : TFolderKind::Parent);
    }
    CreateOwnFolder(folder, kind);
}

void TakeOverFolder(const std::string& path, TFolderKind kind)
{
    const std::string folder = ExcludeTrailingBackslash(path);
    const TTakeOwnershipPrivileges privileges;
    // The folder first: from then on no one else can add anything to it, so
    // the list below is complete.
    TakeOverEntry(folder, true, FolderDescriptor(kind));
    const std::string prefix = IncludeTrailingBackslash(folder);
    WIN32_FIND_DATAA data;
    const TFindHandle find(FindFirstFileA((prefix + "*").c_str(), &data));
    if (!find)
        return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (isFolder && isLink)
            RaiseCreateError(prefix + name, ERROR_CANT_RESOLVE_FILENAME);
        if (!isFolder)
            TakeOverEntry(prefix + name, false, FileDacl);
    } while (FindNextFileA(find.get(), &data));
}

TFileHandle OpenVerifiedFolder(const std::string& path)
{
    const std::string folder = ExcludeTrailingBackslash(path);
    // Shared for reading and writing, so that files can be made and renamed
    // in it, but not for deletion, which a rename of the folder needs.
    TFileHandle handle(CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle)
        RaiseCreateError(folder, GetLastError());
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle.get(), &information))
        RaiseCreateError(folder, GetLastError());
    if ((information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            FILE_ATTRIBUTE_DIRECTORY ||
        !IsAtPath(handle.get(), folder))
        RaiseCreateError(folder, ERROR_CANT_RESOLVE_FILENAME);
    return handle;
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
