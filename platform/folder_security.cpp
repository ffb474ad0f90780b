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
    unsigned long attributes = 0;
    bool isLink = false;
    if (!handle)
        error = GetLastError();
    else if ((error = EntryKindOf(handle.get(), attributes, isLink)) == ERROR_SUCCESS &&
             (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || isLink || !IsAtPath(handle.get(), folder)))
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

namespace {

// The limited token linked to the process's elevated one: an identification
// token, which serves for access checks only. Null without one.
HANDLE DesktopUserToken()
{
    static const TKernelHandle linked = [] {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
            return TKernelHandle();
        const TKernelHandle own(raw);
        TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
        TOKEN_LINKED_TOKEN token{};
        DWORD size = 0;
        if (!GetTokenInformation(own.get(), TokenElevationType, &type, sizeof type, &size) ||
            type != TokenElevationTypeFull ||
            !GetTokenInformation(own.get(), TokenLinkedToken, &token, sizeof token, &size))
            return TKernelHandle();
        return TKernelHandle(token.LinkedToken);
    }();
    return linked.get();
}

} // namespace

bool DesktopUserMay(void* folder, unsigned long access)
{
    HANDLE token = DesktopUserToken();
    if (!token)
        return true;
    // The access check wants the group as well as the owner and the DACL.
    TLocalMemory descriptor;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, descriptor.put()) != ERROR_SUCCESS)
        return false;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    return AccessCheck(descriptor.get(), token, access, &mapping, &privileges, &privilegesSize, &granted, &allowed) &&
           allowed;
}

TUserFolder::TUserFolder(const std::string& folder, std::size_t makeable)
{
    const std::vector<std::string> way = FoldersOnTheWay(ExcludeTrailingBackslash(FullPathName(folder)));
    for (std::size_t i = 0; i < way.size(); ++i) {
        const bool root = i == 0;
        TFileHandle level = OpenFolderHeld(way[i], error_, root);
        if (!level && (error_ == ERROR_FILE_NOT_FOUND || error_ == ERROR_PATH_NOT_FOUND) && !root &&
            way.size() - i <= makeable) {
            // Made first, then opened: "already exists" is someone else's
            // folder, which must pass as one found.
            if (!DesktopUserMay(held_.back().get(), FILE_ADD_SUBDIRECTORY))
                error_ = ERROR_ACCESS_DENIED;
            else
                CreateDirectoryA(way[i].c_str(), nullptr);
            if (error_ != ERROR_ACCESS_DENIED)
                level = OpenFolderHeld(way[i], error_, false);
        }
        if (level && i + 1 == way.size() && !DesktopUserMay(level.get(), FILE_ADD_FILE)) {
            error_ = ERROR_ACCESS_DENIED;
            level.reset();
        }
        if (!level)
            return;
        held_.push_back(std::move(level));
    }
}
