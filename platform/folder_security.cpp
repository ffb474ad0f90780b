#include "platform/folder_security.h"

#include "platform/file_system.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace {

// Program Files gives the same three entries. A data folder lets Users
// list it and add files and folders to it, and passes on to everything in
// it the right to change and delete it, and full control to its creator.
const char* const ProtectedDacl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const char* const DataDacl =
    "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200af;;;BU)(A;OICIIO;0x1301bf;;;BU)(A;OICIIO;FA;;;CO)";

// FILE_ADD_FILE and FILE_ADD_SUBDIRECTORY are a file's write and append.
constexpr DWORD AnyWrite = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA | FILE_DELETE_CHILD |
                           FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER;
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
    case TFolderKind::Protected:
        return ProtectedDacl;
    case TFolderKind::Data:
        return DataDacl;
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
    const bool contents = use == TFolderUse::Contents;
    const DWORD onItself = contents ? AnyWrite : MoveRights | (isRoot ? 0 : DELETE);
    const DWORD passedOn = contents ? AnyWrite : 0;
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

unsigned long TryCreateOwnFolder(const std::string& path, TFolderKind kind)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    TLocalMemory descriptor;
    if (kind != TFolderKind::Inherited) {
        descriptor = Descriptor(FolderDescriptor(kind));
        if (!descriptor)
            return GetLastError();
        attributes.lpSecurityDescriptor = descriptor.get();
    }
    return CreateDirectoryA(path.c_str(), &attributes) ? ERROR_SUCCESS : GetLastError();
}

void CreateOwnFolder(const std::string& path, TFolderKind kind)
{
    if (const unsigned long error = TryCreateOwnFolder(path, kind))
        RaiseCreateError(path, error);
}

TFileHandle OpenFolderHeld(const std::string& path, unsigned long& error, bool shareDelete)
{
    const std::string folder = ExcludeTrailingBackslash(path);
    // Shared for reading and writing, so that files can be made and renamed
    // in it, but not for deletion, which a rename of the folder needs.
    TFileHandle handle(CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | (shareDelete ? FILE_SHARE_DELETE : 0), nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    error = ERROR_SUCCESS;
    BY_HANDLE_FILE_INFORMATION information;
    if (!handle || !GetFileInformationByHandle(handle.get(), &information))
        error = GetLastError();
    else if ((information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                 FILE_ATTRIBUTE_DIRECTORY ||
             !IsAtPath(handle.get(), folder))
        error = ERROR_CANT_RESOLVE_FILENAME;
    if (error != ERROR_SUCCESS)
        handle.reset();
    return handle;
}

TFileHandle OpenVerifiedFolder(const std::string& path)
{
    unsigned long error = ERROR_SUCCESS;
    TFileHandle handle = OpenFolderHeld(path, error);
    if (!handle)
        RaiseCreateError(ExcludeTrailingBackslash(path), error);
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
