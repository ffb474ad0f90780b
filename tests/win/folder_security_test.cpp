// Who may change a folder: the descriptors the installer gives its folders,
// checked with the system's own access check as an ordinary user (a token
// without the administrators), and the judgement of other folders'
// descriptors. Wine keeps no descriptor on disk, so they are tested here,
// in memory.
#include "platform/folder_security.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <vector>

using namespace testing_support;

namespace {

TLocalMemory FromSddl(const std::string& sddl)
{
    TLocalMemory descriptor;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                      descriptor.put(), nullptr))
        << sddl;
    return descriptor;
}

// This process's user, with the administrators only as a group to deny.
class TOrdinaryUser {
public:
    TOrdinaryUser()
    {
        HANDLE process = nullptr;
        EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
        const TKernelHandle own(process);
        PSID administrators = nullptr;
        ConvertStringSidToSidA("BA", &administrators);
        const TLocalMemory administratorsOwner(administrators);
        SID_AND_ATTRIBUTES disabled{administrators, 0};
        HANDLE restricted = nullptr, impersonation = nullptr;
        EXPECT_TRUE(CreateRestrictedToken(own.get(), 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted));
        const TKernelHandle restrictedOwner(restricted);
        EXPECT_TRUE(DuplicateToken(restricted, SecurityImpersonation, &impersonation));
        token_.reset(impersonation);
        BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
        DWORD size = 0;
        EXPECT_TRUE(GetTokenInformation(own.get(), TokenUser, buffer, sizeof buffer, &size));
        char* text = nullptr;
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
        sid_ = text ? text : "";
        LocalFree(text);
    }

    // Whether this user is granted every right in wanted.
    bool May(const void* descriptor, DWORD wanted) const
    {
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        PRIVILEGE_SET privileges;
        DWORD privilegesSize = sizeof privileges, granted = 0;
        BOOL status = FALSE;
        EXPECT_TRUE(AccessCheck(const_cast<void*>(descriptor), token_.get(), wanted, &mapping, &privileges,
                                &privilegesSize, &granted, &status));
        return status != FALSE;
    }

    const std::string& Sid() const { return sid_; }

private:
    TKernelHandle token_;
    std::string sid_;
};

// What something new in a folder with this DACL gets, as the system's
// inheritance gives it: the entries passed on to its kind, the creator's
// standing for CREATOR OWNER, and the creator as owner.
TLocalMemory ChildOf(const char* dacl, bool folder, const std::string& creator)
{
    const TLocalMemory parent = FromSddl(dacl);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(parent.get(), &present, &acl, &defaulted));
    std::string child = "O:" + creator + "G:" + creator + "D:";
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        GetAce(acl, i, reinterpret_cast<void**>(&ace));
        const BYTE flags = ace->Header.AceFlags;
        if (!(flags & (folder ? CONTAINER_INHERIT_ACE : OBJECT_INHERIT_ACE)))
            continue;
        char* sid = nullptr;
        ConvertSidToStringSidA(&ace->SidStart, &sid);
        const std::string who = std::string(sid) == "S-1-3-0" ? creator : sid;
        LocalFree(sid);
        child += "(A;ID;" + std::to_string(ace->Mask) + ";;;" + who + ")";
    }
    return FromSddl(child);
}

std::string Owned(const char* dacl)
{
    return std::string("O:BAG:BA") + dacl;
}

TEST(FolderSecurity, AnOrdinaryUserMayCreateNothingBesideTheProgramsButAnythingInTheDataFolders)
{
    const TOrdinaryUser user;
    const char* const protectedDacl = FolderDescriptor(TFolderKind::Protected);
    const TLocalMemory installation = FromSddl(Owned(protectedDacl));
    EXPECT_TRUE(user.May(installation.get(), FILE_LIST_DIRECTORY | FILE_TRAVERSE));
    // No name of any kind beside the programs: not a library, not a
    // NAME.exe.local folder.
    for (DWORD forbidden : std::initializer_list<DWORD>{FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY, FILE_DELETE_CHILD,
                                                        DELETE, WRITE_DAC, WRITE_OWNER, FILE_WRITE_ATTRIBUTES})
        EXPECT_FALSE(user.May(installation.get(), forbidden)) << std::hex << forbidden;
    const TLocalMemory program = ChildOf(protectedDacl, false, "BA");
    EXPECT_TRUE(user.May(program.get(), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));
    for (DWORD forbidden : std::initializer_list<DWORD>{FILE_WRITE_DATA, FILE_APPEND_DATA, DELETE, WRITE_DAC})
        EXPECT_FALSE(user.May(program.get(), forbidden)) << std::hex << forbidden;

    // A data folder: the installer's, but what is inside is the users'.
    const char* const dataDacl = FolderDescriptor(TFolderKind::Data);
    const TLocalMemory data = FromSddl(Owned(dataDacl));
    EXPECT_TRUE(user.May(data.get(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY));
    for (DWORD forbidden : std::initializer_list<DWORD>{DELETE, FILE_DELETE_CHILD, WRITE_DAC, WRITE_OWNER})
        EXPECT_FALSE(user.May(data.get(), forbidden)) << std::hex << forbidden;
    // A device file the installer puts there, and what users make there.
    const TLocalMemory device = ChildOf(dataDacl, false, "BA");
    EXPECT_TRUE(user.May(device.get(), FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE));
    EXPECT_FALSE(user.May(device.get(), WRITE_DAC));
    const TLocalMemory show = ChildOf(dataDacl, false, user.Sid());
    EXPECT_TRUE(user.May(show.get(), FILE_GENERIC_WRITE | DELETE | WRITE_DAC)) << "a file the user makes there";
    const TLocalMemory project = ChildOf(dataDacl, true, user.Sid());
    EXPECT_TRUE(user.May(project.get(), FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | DELETE));
    EXPECT_STREQ("", FolderDescriptor(TFolderKind::Inherited));
}

TEST(FolderSecurity, FoldersOthersCanChangeAreTold)
{
    const auto judged = [](const std::string& sddl, TFolderUse use, bool root = false) {
        return OthersMayChange(FromSddl(sddl).get(), use, root);
    };
    const auto contents = [&](const std::string& sddl) { return judged(sddl, TFolderUse::Contents); };
    // The installer's own and what Wine reads back from mode 755.
    EXPECT_FALSE(contents(Owned(FolderDescriptor(TFolderKind::Protected))));
    EXPECT_FALSE(contents("O:SYD:(A;OICI;FA;;;SY)(A;OICI;GA;;;BA)(A;OICI;0x1200a9;;;WD)(A;;GR;;;AU)(D;;FA;;;BU)"));
    EXPECT_FALSE(contents("O:BAD:P(A;OICI;FA;;;BA)(A;OICIIO;FA;;;CO)")) << "creator of what no one else may make";
    // Open: users may add to a data folder, by design, but not move it.
    EXPECT_TRUE(contents(Owned(FolderDescriptor(TFolderKind::Data))));
    EXPECT_FALSE(judged(Owned(FolderDescriptor(TFolderKind::Data)), TFolderUse::Place));
    EXPECT_TRUE(contents("O:BAD:P(A;OICI;FA;;;BA)(A;;0x4;;;BU)")) << "a folder of any name";
    EXPECT_TRUE(contents("O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301ff;;;WD)")) << "mode 777";
    EXPECT_TRUE(contents("O:BAD:(A;OICI;FA;;;BA)(A;OICIIO;SDGWGRGX;;;AU)")) << "passed on to every new file";
    EXPECT_TRUE(contents("O:BAD:(A;OICI;FA;;;BA)(A;;GW;;;BU)"));
    EXPECT_TRUE(contents("O:BAD:(A;OICI;FA;;;BA)(A;;WD;;;BU)")) << "permissions";
    EXPECT_TRUE(contents("O:S-1-5-21-1-2-3-1001D:(A;OICI;FA;;;BA)")) << "another user's folder";
    EXPECT_TRUE(contents("O:BA")) << "no DACL: everyone may";
    // On the way: only moving the folder, or what is in it, counts.
    const std::string driveRoot = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)(A;;0x4;;;AU)";
    EXPECT_FALSE(judged(driveRoot, TFolderUse::Place, true)) << "a root cannot be renamed";
    EXPECT_TRUE(judged(driveRoot, TFolderUse::Place, false)) << "a user's folder can be";
    EXPECT_TRUE(judged("O:BAD:(A;OICI;FA;;;BA)(A;;0x40;;;BU)", TFolderUse::Place, true)) << "delete child";
    EXPECT_FALSE(judged("O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;CO)(A;;0x4;;;AU)", TFolderUse::Place, false));
}

} // namespace
