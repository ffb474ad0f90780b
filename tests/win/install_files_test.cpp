// Whole installations from the wizard's choices: real files, real links,
// real profile files, the registry redirected to scratch keys.
#include "install/install_files.h"

#include "engine/extract_resource.h"
#include "engine/product_manifest.h"
#include "install/install_folder.h"
#include "install/payload_check.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/registry.h"
#include "platform/replacement_file.h"
#include "shell/uninstall_entry.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

using namespace testing_support;

namespace {

const char* const ShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const UninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QOVA";

// Answers the procedure's dialogs from a script and counts its message passes.
class TScriptedUser : public IInstallUser, public TScriptedDialogs {
public:
    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override
    {
        return Answer(text, type, buttons);
    }
    void ProcessMessages() override { ++MessagePasses; }

    int MessagePasses = 0;
};

struct TLogOptions {
    bool DeskIcon = true;
    bool StartIcon = true;
    bool CreatedFolder = true;
};

class InstallFilesTest : public testing::Test {
protected:
    InstallFilesTest()
    {
        desktop = root / "Desktop";
        programs = root / "Start Menu\\Programs";
        settings = root / "AppData\\Norvane\\QOVA";
        CreateDirectoryA(desktop.c_str(), nullptr);
        CreateDirectoryA((root / "Start Menu").c_str(), nullptr);
        CreateDirectoryA(programs.c_str(), nullptr);
        CreateDirectoryA((root / "AppData").c_str(), nullptr);
        CreateDirectoryA((root / "AppData\\Norvane").c_str(), nullptr);
        CreateDirectoryA(settings.c_str(), nullptr);
        SetRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Desktop", desktop);
        SetRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", programs);
        state.ProgramIniPath = settings + "\\qova.ini";
        state.SimulatorIniPath = settings + "\\qovasim.ini";
        installDir = root / "Program Files\\QOVA\\";
        choices.Folder = root / "Program Files\\QOVA";
    }

    bool Install() { return InstallFiles(state, choices, user); }

    std::string ExpectedLog(const TLogOptions& options) const
    {
        std::string log = "[Application]\r\nShortName=QOVA\r\nFullName=Qovarium\r\nVersion=1.5\r\n[Files]\r\n";
        int file = 1;
        auto addFile = [&](const std::string& path) { log += std::to_string(file++) + "=" + path + "\r\n"; };
        for (const auto& row : ProductManifest::PayloadTable)
            addFile(installDir + row.FileName);
        if (options.DeskIcon) {
            addFile(desktop + "\\QOVA.lnk");
            addFile(desktop + "\\QOVAsim.lnk");
        }
        const std::string group = programs + "\\QOVA\\";
        const std::string urlFolder = options.StartIcon ? group : installDir;
        if (options.StartIcon) {
            addFile(group + "QOVA.lnk");
            addFile(group + "QOVAsim.lnk");
        }
        addFile(urlFolder + "Norvane web page.url");
        addFile(urlFolder + "Brelkon web page.url");
        addFile(state.ProgramIniPath);
        addFile(state.SimulatorIniPath);
        log += "[Folders]\r\n";
        int folder = 1;
        auto addFolder = [&](const std::string& path) { log += std::to_string(folder++) + "=" + path + "\r\n"; };
        if (options.StartIcon)
            addFolder(group);
        for (const char* name : ProductManifest::DataFolderTable)
            addFolder(installDir + name);
        if (options.CreatedFolder)
            addFolder(installDir);
        return log;
    }

    std::string Log() const { return ReadText(installDir + "install.log"); }

    bool Registered(std::string* location = nullptr) const
    {
        DWORD type = 0;
        std::vector<unsigned char> data;
        if (!QueryRegValue(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation", type, data))
            return false;
        if (location)
            *location = std::string(data.begin(), data.end()).c_str();
        return true;
    }

    std::string DeviceFile(const char* folder, size_t row) const
    {
        return installDir + folder + "\\" + ProductManifest::DeviceTable[row].FileName;
    }

    TScratchRegistry registry;
    TTempDir root;
    std::string desktop, programs, settings, installDir;
    TSetupState state;
    TInstallChoices choices;
    TScriptedUser user;
};

TEST_F(InstallFilesTest, FreshFolderGivesTheCompleteLog)
{
    ASSERT_TRUE(Install());
    EXPECT_EQ(installDir, state.InstallDir);
    EXPECT_EQ(ExpectedLog({}), Log());
    EXPECT_TRUE(user.Asked.empty());
    EXPECT_EQ(1, user.MessagePasses);

    const std::string payloadDir = Env("QOVA_PAYLOAD_DIR");
    for (const auto& row : ProductManifest::PayloadTable)
        EXPECT_EQ(ReadBytes(payloadDir + "\\" + row.FileName), ReadBytes(installDir + row.FileName)) << row.FileName;
    for (size_t i = 0; i < ProductManifest::DeviceTable.size(); ++i)
        EXPECT_EQ(ReadBytes(payloadDir + "\\" + ProductManifest::DeviceTable[i].FileName),
                  ReadBytes(DeviceFile("Devices", i)));
    // The data folders of both languages, made by the installer: no one else
    // could make a folder there.
    for (const char* name : ProductManifest::DataFolderTable)
        EXPECT_TRUE(DirectoryExists(installDir + name)) << name;
    EXPECT_TRUE(FolderEntries(installDir + "Dispositivos").empty());
    EXPECT_TRUE(PathExists(desktop + "\\QOVAsim.lnk"));
    EXPECT_TRUE(PathExists(programs + "\\QOVA\\Brelkon web page.url"));
    // English on a first installation leaves the settings files alone.
    EXPECT_FALSE(PathExists(state.ProgramIniPath));
    EXPECT_FALSE(PathExists(state.SimulatorIniPath));
    std::string location;
    ASSERT_TRUE(Registered(&location));
    EXPECT_EQ(installDir, location);
    EXPECT_TRUE(state.Log.InstallLog) << "the form keeps the writer";
}

TEST_F(InstallFilesTest, LogVariantsFollowTheChoices)
{
    {
        SCOPED_TRACE("desktop box cleared");
        choices.DeskIcon = false;
        ASSERT_TRUE(Install());
        EXPECT_EQ(ExpectedLog({.DeskIcon = false}), Log());
        EXPECT_FALSE(PathExists(desktop + "\\QOVA.lnk"));
    }
    {
        SCOPED_TRACE("Start-menu box cleared, into the existing folder with its old log");
        WriteBytes(installDir + "install.log", "[Files]\r\n40=C:\\stale.txt\r\n[Other]\r\nx=1\r\n");
        TSetupState again;
        again.ProgramIniPath = state.ProgramIniPath;
        again.SimulatorIniPath = state.SimulatorIniPath;
        state = std::move(again);
        choices.DeskIcon = true;
        choices.StartIcon = false;
        user.Answers = {mrYesToAll};
        ASSERT_TRUE(Install());
        EXPECT_EQ(1u, user.Asked.size()) << "one question for the devices of the first run";
        EXPECT_EQ(ExpectedLog({.StartIcon = false, .CreatedFolder = false}), Log());
        EXPECT_TRUE(PathExists(installDir + "Norvane web page.url"));
    }
}

TEST_F(InstallFilesTest, SpanishWritesTheSettingsAndUsesTheSpanishDevicesFolder)
{
    choices.LangIndex = 1;
    ASSERT_TRUE(Install());
    EXPECT_EQ(ExpectedLog({}), Log());
    EXPECT_EQ("[QOVA]\r\nLangLibrary=qovaspa.dll\r\n", ReadText(state.ProgramIniPath));
    EXPECT_EQ("[QOVASim]\r\nLangLibrary=qsimspa.dll\r\n", ReadText(state.SimulatorIniPath));
    for (size_t i = 0; i < ProductManifest::DeviceTable.size(); ++i)
        EXPECT_TRUE(PathExists(DeviceFile("Dispositivos", i))) << i;
    EXPECT_TRUE(FolderEntries(installDir + "Devices").empty());
}

// Only SYSTEM, the administrators and the folder's owner may change what is
// in the folder, and SYSTEM's full control reaches everything below; anyone
// else may at most read and run. (Wine keeps no descriptor of its own: it
// reads one back from the Unix permissions, with the user as owner.)
void ExpectNoOrdinaryWriter(const std::string& path)
{
    SCOPED_TRACE(path + ": " + DaclText(path));
    PACL dacl = nullptr;
    PSID owner = nullptr;
    TLocalMemory descriptor;
    ASSERT_EQ(ERROR_SUCCESS, GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                                   DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION, &owner,
                                                   nullptr, &dacl, nullptr, descriptor.put()));
    ASSERT_TRUE(dacl);
    const auto isWellKnown = [](PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; };
    const DWORD writeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                              FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    bool systemInherits = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID sid = &ace->SidStart;
        if (isWellKnown(sid, WinLocalSystemSid)) {
            systemInherits = (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS &&
                             (ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) ==
                                 (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        } else if (!isWellKnown(sid, WinBuiltinAdministratorsSid) && !EqualSid(sid, owner) &&
                   !isWellKnown(sid, WinCreatorOwnerSid)) {
            EXPECT_EQ(0u, ace->Mask & writeRights) << "an ordinary writer, entry " << i;
        }
    }
    if (DirectoryExists(path)) {
        EXPECT_TRUE(systemInherits);
    }
}

TEST_F(InstallFilesTest, FolderOutsideProgramFilesIsOnlyTheAdministratorsWhoeverMadeIt)
{
    {
        SCOPED_TRACE("made by the installer, with the folder above it");
        ASSERT_TRUE(Install());
        ExpectNoOrdinaryWriter(root / "Program Files");
        ExpectNoOrdinaryWriter(installDir);
    }
    const auto installInto = [&](const std::string& folder) {
        installDir = IncludeTrailingBackslash(folder);
        choices.Folder = folder;
        state = TSetupState{};
        user.Answers = {mrYesToAll};
        return Install();
    };
    {
        SCOPED_TRACE("made empty by someone else, and open to everyone");
        const std::string open = root / "Open";
        ASSERT_TRUE(CreateDirectoryA(open.c_str(), nullptr));
        MakeWritableByEveryone(open);
        ASSERT_TRUE(installInto(open));
        ExpectNoOrdinaryWriter(open);
        ExpectNoOrdinaryWriter(open + "\\QOVA.exe");
        EXPECT_EQ(ExpectedLog({.CreatedFolder = false}), Log());
    }
    {
        SCOPED_TRACE("our own earlier installation, with a user's file in a data folder");
        WriteBytes(root / "Program Files\\QOVA\\Project\\mine.qshow", "the user's show");
        // An empty data folder no longer as the installer made it is made afresh.
        MakeWritableByEveryone(root / "Program Files\\QOVA\\Show");
        ASSERT_TRUE(installInto(root / "Program Files\\QOVA"));
        EXPECT_EQ("the user's show", ReadText(installDir + "Project\\mine.qshow"));
        EXPECT_EQ(std::string::npos, DaclText(installDir + "Show").find(";;;WD)")) << DaclText(installDir + "Show");
        EXPECT_EQ(ExpectedLog({.CreatedFolder = false}), Log());
    }
    // Anything else found is refused, whoever may change it, and nothing is
    // written: not even the log it holds.
    const auto expectRefused = [&](const std::string& folder, const std::string& message) {
        const std::vector<std::string> before = FolderEntries(folder);
        const std::string log = ReadText(folder + "\\install.log");
        EXPECT_RAISES(message, installInto(folder));
        EXPECT_EQ(before, FolderEntries(folder));
        EXPECT_EQ(log, ReadText(folder + "\\install.log"));
        EXPECT_FALSE(state.Log.InstallLog);
    };
    {
        SCOPED_TRACE("open to everyone, with a log, a library and a devices folder");
        TTempDir planted;
        const std::string folder = ExcludeTrailingBackslash(planted.Path());
        WriteBytes(planted / "install.log", "[Application]\r\n");
        WriteBytes(planted / "version.dll", "someone's library");
        ASSERT_TRUE(CreateDirectoryA((planted / "Devices").c_str(), nullptr));
        MakeWritableByEveryone(planted / "Devices");
        MakeWritableByEveryone(folder);
        expectRefused(folder, CreateFileMessage(folder, ERROR_ACCESS_DENIED));
        // A new folder in it: anyone could move it away.
        EXPECT_RAISES(CreateFileMessage(folder, ERROR_ACCESS_DENIED), installInto(planted / "QOVA"));
        EXPECT_FALSE(PathExists(planted / "QOVA"));
    }
    {
        SCOPED_TRACE("changed only by the administrators, holding what no installation left");
        TTempDir found;
        const std::string folder = ExcludeTrailingBackslash(found.Path());
        WriteBytes(found / "install.log", "[Application]\r\n");
        // The redirection folder of a program without a manifest.
        ASSERT_TRUE(CreateDirectoryA((found / "Uninstall.exe.local").c_str(), nullptr));
        expectRefused(folder, CreateFileMessage(found / "Uninstall.exe.local", ERROR_FILE_EXISTS));
        RemoveTree(found / "Uninstall.exe.local");
        // A product's name is no proof: a second name of a file elsewhere.
        WriteBytes(root / "theirs.dll", "someone's library");
        ASSERT_TRUE(CreateHardLinkA((found / "qovasup.dll").c_str(), (root / "theirs.dll").c_str(), nullptr));
        expectRefused(folder, CreateFileMessage(found / "qovasup.dll", ERROR_FILE_EXISTS));
        DeleteFileA((found / "qovasup.dll").c_str());
        // A data folder anyone could change, holding something.
        ASSERT_TRUE(CreateDirectoryA((found / "Sound").c_str(), nullptr));
        WriteBytes(found / "Sound\\intro.wav", "someone's");
        MakeWritableByEveryone(found / "Sound");
        expectRefused(folder, CreateFileMessage(found / "Sound", ERROR_ACCESS_DENIED));
        std::string location;
        ASSERT_TRUE(Registered(&location)) << "by the first installation";
        EXPECT_NE(found.Path(), location);
    }
    {
        SCOPED_TRACE("inside Program Files: what Program Files gives");
        TTempDir programFiles;
        SetRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "ProgramFilesDir",
                     programFiles.Path());
        CreateDirectoryA((programFiles / "Plain").c_str(), nullptr);
        ASSERT_TRUE(installInto(programFiles / "QOVA"));
        EXPECT_EQ(DaclText(programFiles / "Plain"), DaclText(installDir));
    }
}

// A link on the way appears after the folder page: nothing is written.
TEST_F(InstallFilesTest, LinksOnTheWayAreRefusedAtInstallTime)
{
    const std::string links = Env("QOVA_TEST_LINKS");
    ASSERT_FALSE(links.empty());
    const std::vector<std::string> target = FolderEntries(links + "\\target");
    choices.Folder = links + "\\junction\\QOVA";
    EXPECT_RAISES(CreateFileMessage(links + "\\junction", ERROR_CANT_RESOLVE_FILENAME), Install());
    // A devices folder that is a link, in a folder only administrators change.
    choices.Folder = links + "\\planted";
    const std::vector<std::string> planted = FolderEntries(links + "\\planted");
    state = TSetupState{};
    EXPECT_RAISES(CreateFileMessage(links + "\\planted\\Devices", ERROR_CANT_RESOLVE_FILENAME), Install());
    // A link named like a leftover temporary file is not one.
    RemoveLeftoverTemporaries(OpenVerifiedFolder(links + "\\planted").get(), links + "\\planted");
    EXPECT_EQ(planted, FolderEntries(links + "\\planted"));
    EXPECT_EQ(target, FolderEntries(links + "\\target"));
    EXPECT_FALSE(Registered());
    EXPECT_FALSE(state.Log.InstallLog);
}

// What a run cut short leaves (a temporary file beside its target, the log
// so far) is set right by the next: the same files and log as one run.
TEST_F(InstallFilesTest, RunCutShortIsSetRightByTheNext)
{
    const auto cutShort = [&](const std::string& target, const std::string& resource) {
        if (resource == ProductManifest::PayloadTable[5].ResourceName)
            throw Exception("cut short");
        return ExtractPayload(target, resource);
    };
    EXPECT_RAISES("cut short", InstallFiles(state, choices, user, cutShort));
    state = TSetupState{};
    const std::string leftover = installDir + "~0123abcd.tmp", devices = installDir + "Devices\\";
    WriteBytes(leftover, "half a library");
    ASSERT_TRUE(CreateDirectoryA(devices.c_str(), nullptr));
    WriteBytes(devices + "~00c0ffee.tmp", "half a device");
    // Not leftovers: other names, a folder, a second name (in the data
    // folder, where users may put anything), and a file in use.
    const std::vector<std::string> kept{devices + "~0123abcd.tmp.txt", devices + "~notes.tmp",
                                        devices + "~0000000g.tmp",     devices + "~00000001.tmp",
                                        devices + "~00000002.tmp",     installDir + "~00000003.tmp"};
    for (size_t i = 0; i < 3; ++i)
        WriteBytes(kept[i], "the user's");
    ASSERT_TRUE(CreateDirectoryA(kept[3].c_str(), nullptr));
    WriteBytes(root / "elsewhere.txt", "the user's");
    ASSERT_TRUE(CreateHardLinkA(kept[4].c_str(), (root / "elsewhere.txt").c_str(), nullptr));
    WriteBytes(kept[5], "in use");
    TFileHandle inUse(CreateFileA(kept[5].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(inUse);

    ASSERT_TRUE(Install());
    EXPECT_EQ(ExpectedLog({}), Log()) << "the folder was made by the run cut short";
    EXPECT_FALSE(PathExists(leftover));
    EXPECT_FALSE(PathExists(devices + "~00c0ffee.tmp"));
    EXPECT_FALSE(PathExists(installDir + "~created.tmp"));
    for (const std::string& path : kept)
        EXPECT_TRUE(PathExists(path)) << path;
    EXPECT_EQ("the user's", ReadText(root / "elsewhere.txt"));
}

// A folder on the way that someone makes after it was found missing, and
// before the installer makes it, is used only as one found would be.
TEST_F(InstallFilesTest, FolderOnTheWayMadeMeanwhileIsExaminedAsOneFound)
{
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open to everyone" : "only the administrators'");
        TTempDir target;
        const std::string parent = target / "Shows", folder = parent + "\\QOVA";
        TInstallFolder install(folder, folder + "\\Devices");
        ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr));
        if (open) {
            MakeWritableByEveryone(parent);
            EXPECT_RAISES(CreateFileMessage(parent, ERROR_ACCESS_DENIED), install.Make());
            EXPECT_TRUE(FolderEntries(parent).empty()) << "nothing written";
        } else {
            install.Make();
            EXPECT_TRUE(install.Created());
            EXPECT_EQ(std::vector<std::string>{"QOVA"}, FolderEntries(parent));
            // Held: it can be neither renamed nor deleted.
            EXPECT_FALSE(MoveFileA(parent.c_str(), (target / "Moved").c_str()));
        }
    }
}

TEST(WholeClusters, RoundUpToTheVolumesUnit)
{
    EXPECT_EQ(0u, WholeClusters(0, 4096));
    EXPECT_EQ(4096u, WholeClusters(1, 4096));
    EXPECT_EQ(4096u, WholeClusters(4096, 4096));
    EXPECT_EQ(8192u, WholeClusters(4097, 4096));
    EXPECT_EQ(uint64_t{5} << 32, WholeClusters((uint64_t{5} << 32) - 511, 512)) << "past 32 bits";
    EXPECT_EQ(8192u, WholeClusters(5000, 3000)) << "not a power of two: the next one";
}

// Every file the installation writes counts, in whole clusters, each new
// one at its full size where nothing stands in its place.
TEST_F(InstallFilesTest, SpaceNeededCountsEveryFileItWrites)
{
    const std::string payloadDir = Env("QOVA_PAYLOAD_DIR");
    const auto clusters = [](uint64_t bytes) { return (bytes + 4095) / 4096 * 4096; };
    uint64_t expected = clusters(16 * 1024) + 2 * clusters(1024);
    const auto add = [&](const auto& table) {
        for (const auto& row : table)
            expected += clusters(ReadBytes(payloadDir + "\\" + row.FileName).size());
    };
    add(ProductManifest::PayloadTable);
    add(ProductManifest::DeviceTable);
    EXPECT_EQ(expected, PeakSpaceNeeded(installDir, installDir + "Devices", 4096));
    EXPECT_EQ(expected, PeakSpaceNeeded(installDir, installDir + "Devices", 4096, true));
    // Over itself, extracted at once: every new payload file beside its old one.
    ASSERT_TRUE(Install());
    expected = clusters(16 * 1024);
    add(ProductManifest::PayloadTable);
    EXPECT_EQ(expected, PeakSpaceNeeded(installDir, installDir + "Devices", 4096, true));
    EXPECT_GT(expected, PeakSpaceNeeded(installDir, installDir + "Devices", 4096));
}

TEST_F(InstallFilesTest, GroupFolderThatExistedIsStillLoggedFirst)
{
    CreateDirectoryA((programs + "\\QOVA").c_str(), nullptr);
    choices.DeskIcon = false;
    ASSERT_TRUE(Install());
    EXPECT_EQ(ExpectedLog({.DeskIcon = false}), Log());
}

namespace {

// Lets another thread's extraction reach flag first; gives up after five
// seconds, as on one thread it never would.
void AwaitOtherThread(const std::atomic<bool>& flag)
{
    for (int i = 0; i < 5000 && !flag; ++i)
        Sleep(1);
}

} // namespace

TEST_F(InstallFilesTest, ExtractionFailureStopsTheInstallationThere)
{
    std::unique_ptr<TTempDir> target;
    const auto afresh = [&] {
        target = std::make_unique<TTempDir>();
        installDir = *target / "QOVA\\";
        choices.Folder = installDir;
        state = TSetupState{};
        user.Asked.clear();
        user.Answers = {mrOk};
    };
    for (int k : {0, 4}) {
        SCOPED_TRACE(k);
        afresh();
        // Row k's bytes are refused, as a damaged disk would make them, once
        // the next row is extracted beside it; earlier rows are really written.
        std::atomic<bool> nextExtracted{false};
        const auto failingExtract = [&](const std::string& target, const std::string& resource) {
            if (resource == ProductManifest::PayloadTable[static_cast<size_t>(k)].ResourceName) {
                AwaitOtherThread(nextExtracted);
                return TExtractedFile();
            }
            TExtractedFile file = ExtractPayload(target, resource);
            if (resource == ProductManifest::PayloadTable[static_cast<size_t>(k) + 1].ResourceName)
                nextExtracted = true;
            return file;
        };

        EXPECT_FALSE(InstallFiles(state, choices, user, failingExtract));
        for (const std::string& name : FolderEntries(installDir))
            EXPECT_FALSE(IsTemporaryFileName(name)) << name << ": what was extracted for later rows is removed";
        ASSERT_EQ(1u, user.Asked.size());
        EXPECT_EQ("Error decompressing file.", user.Asked[0].Text);
        EXPECT_EQ(TMsgDlgType::Error, user.Asked[0].Type);
        EXPECT_EQ(unsigned{mbOK}, user.Asked[0].Buttons);
        EXPECT_EQ(0, user.MessagePasses);

        std::string log = "[Application]\r\nShortName=QOVA\r\nFullName=Qovarium\r\nVersion=1.5\r\n";
        if (k > 0)
            log += "[Files]\r\n";
        for (int row = 0; row < k; ++row)
            log += std::to_string(row + 1) + "=" + installDir + ProductManifest::PayloadTable[row].FileName + "\r\n";
        EXPECT_EQ(log, ReadText(installDir + "install.log"));
        for (size_t row = static_cast<size_t>(k); row < ProductManifest::PayloadTable.size(); ++row)
            EXPECT_FALSE(PathExists(installDir + ProductManifest::PayloadTable[row].FileName)) << row;
        EXPECT_FALSE(PathExists(desktop + "\\QOVA.lnk"));
        EXPECT_FALSE(PathExists(programs + "\\QOVA"));
        EXPECT_FALSE(PathExists(installDir + "Devices"));
        EXPECT_FALSE(Registered());
    }

    // Two rows fail at once: the earlier one's failure is the one raised,
    // as one by one, with the rows before it in place and nothing after.
    afresh();
    std::atomic<bool> laterRaised{false};
    const auto bothFail = [&](const std::string& target, const std::string& resource) {
        if (resource == ProductManifest::PayloadTable[3].ResourceName) {
            laterRaised = true;
            throw Exception("later row");
        }
        if (resource == ProductManifest::PayloadTable[2].ResourceName) {
            AwaitOtherThread(laterRaised);
            throw Exception("earlier row");
        }
        return ExtractPayload(target, resource);
    };
    EXPECT_RAISES("earlier row", InstallFiles(state, choices, user, bothFail));
    EXPECT_TRUE(PathExists(installDir + ProductManifest::PayloadTable[1].FileName));
    for (size_t row = 2; row < ProductManifest::PayloadTable.size(); ++row)
        EXPECT_FALSE(PathExists(installDir + ProductManifest::PayloadTable[row].FileName)) << row;

    // A device file refused (its bytes not the image's) stops the copy there
    // too, with what was made already in the log for the uninstaller.
    afresh();
    const auto failingDevice = [&](const std::string& path, const std::string& resource) {
        return resource != ProductManifest::DeviceTable[2].ResourceName ? ExtractPayload(path, resource)
                                                                         : TExtractedFile();
    };
    EXPECT_FALSE(InstallFiles(state, choices, user, failingDevice));
    ASSERT_EQ(1u, user.Asked.size());
    EXPECT_EQ("Error decompressing file.", user.Asked[0].Text);
    EXPECT_TRUE(PathExists(installDir + "Devices\\" + ProductManifest::DeviceTable[1].FileName));
    EXPECT_FALSE(PathExists(installDir + "Devices\\" + ProductManifest::DeviceTable[3].FileName));
    EXPECT_NE(std::string::npos, ReadText(installDir + "install.log").find("=" + installDir + "Simulacion\r\n"));
    EXPECT_TRUE(Registered());
}

TEST_F(InstallFilesTest, ReinstallOverALockedOrReadOnlyFileChangesNoFile)
{
    ASSERT_TRUE(Install());
    const std::string oldLog = Log();
    for (const auto& row : ProductManifest::PayloadTable)
        WriteBytes(installDir + row.FileName, std::string("old ") + row.FileName);
    const auto expectUnchanged = [&] {
        for (const auto& row : ProductManifest::PayloadTable)
            EXPECT_EQ(std::string("old ") + row.FileName, ReadText(installDir + row.FileName));
        EXPECT_EQ(oldLog, Log()) << "the old log is kept for the uninstaller";
        EXPECT_FALSE(state.Log.InstallLog);
    };
    {
        SCOPED_TRACE("the simulator running");
        const std::string simulator = installDir + "QOVAsim.exe";
        TFileHandle running(CreateFileA(simulator.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(running);
        state = TSetupState{};
        EXPECT_RAISES(CreateFileMessage(simulator, ERROR_SHARING_VIOLATION), Install());
        running.reset();
        expectUnchanged();
    }
    {
        SCOPED_TRACE("a read-only library, the last row");
        const std::string library = installDir + "basscd.dll";
        SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_READONLY);
        state = TSetupState{};
        EXPECT_RAISES(CreateFileMessage(library, ERROR_ACCESS_DENIED), Install());
        SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_NORMAL);
        expectUnchanged();
    }
    {
        SCOPED_TRACE("the old log held open by a reader, who would keep it from being deleted");
        const std::string logPath = installDir + "install.log";
        TFileHandle reader(CreateFileA(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        state = TSetupState{};
        EXPECT_RAISES(CreateFileMessage(logPath, ERROR_SHARING_VIOLATION), Install());
        reader.reset();
        expectUnchanged();
    }
    EXPECT_TRUE(user.Asked.empty());
}

// A RAM disk of 2 MB, mapped as a drive only by ctest's win_small_drive
// (tests/small-drive.sh, which needs root to mount it), filled by a file of
// the user's to leave the room a case needs.
TEST_F(InstallFilesTest, SmallDriveWithoutRoomForThePayloadGetsNothingWritten)
{
    const std::string drive = Env("QOVA_SMALL_DRIVE");
    if (drive.empty())
        GTEST_SKIP() << "no small drive mapped; ctest's win_small_drive mounts one";
    const std::string filler = drive + "filler.bin";
    TVolumeSpace space;
    const auto leaveRoom = [&](uint64_t room) {
        DeleteFileA(filler.c_str());
        ASSERT_TRUE(QueryVolumeSpace(drive, space)) << drive;
        ASSERT_LT(space.FreeBytes, 4u * 1024u * 1024u) << drive << " is not a small drive";
        ASSERT_GT(space.FreeBytes, room);
        WriteBytes(filler, std::string(space.FreeBytes - room, 'f'));
    };
    const std::string folder = drive + "QOVA\\";
    RemoveTree(folder);
    RemoveTree(drive + "New");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    WriteBytes(folder + "QOVA.exe", "the user's QOVA.exe");
    leaveRoom(256 * 1024);

    installDir = folder;
    choices.Folder = drive + "QOVA";
    EXPECT_RAISES(CreateFileMessage(folder + "QOVA.exe", ERROR_DISK_FULL), Install());
    EXPECT_EQ(std::vector<std::string>{"QOVA.exe"}, FolderEntries(folder)) << "nothing written, not even the log";
    EXPECT_EQ("the user's QOVA.exe", ReadText(folder + "QOVA.exe"));
    EXPECT_FALSE(Registered());
    choices.Folder = drive + "New";
    state = TSetupState{};
    EXPECT_RAISES(CreateFileMessage(drive + "New\\QOVA.exe", ERROR_DISK_FULL), Install());
    EXPECT_FALSE(PathExists(drive + "New")) << "no folder made either";

    // The room running out during a write: the old file stays, nothing partial is left.
    const std::string big = folder + "big.txt";
    WriteBytes(big, "the user's big.txt");
    EXPECT_RAISES("Stream write error", ExtractResource(big, "testbig", ImageDigest("testbig")));
    EXPECT_EQ("the user's big.txt", ReadText(big));
    EXPECT_EQ((std::vector<std::string>{"QOVA.exe", "big.txt"}), FolderEntries(folder));
    RemoveTree(folder);

    // Room to replace the files one by one, not for the new payload beside
    // the old at once: the reinstallation takes one thread, and succeeds.
    DeleteFileA(filler.c_str());
    state = TSetupState{};
    choices.Folder = drive + "QOVA";
    ASSERT_TRUE(Install());
    ASSERT_TRUE(QueryVolumeSpace(drive, space));
    const uint64_t oneByOne = PeakSpaceNeeded(folder, folder + "Devices", space.ClusterSize);
    ASSERT_GT(PeakSpaceNeeded(folder, folder + "Devices", space.ClusterSize, true), oneByOne + 256 * 1024);
    leaveRoom(oneByOne + 32 * 1024);
    state = TSetupState{};
    user.Answers = {mrYesToAll};
    EXPECT_TRUE(Install());
    const std::string payloadDir = Env("QOVA_PAYLOAD_DIR");
    for (const auto& row : ProductManifest::PayloadTable)
        EXPECT_EQ(ReadBytes(payloadDir + "\\" + row.FileName), ReadBytes(folder + row.FileName)) << row.FileName;
    RemoveTree(folder);
    DeleteFileA(filler.c_str());
}

TEST_F(InstallFilesTest, ShortcutStageFailureStillRegistersAndStopsThere)
{
    // A Programs folder whose parent is missing: the group cannot be made,
    // so its first internet shortcut cannot be created.
    const std::string missing = root / "missing\\Programs";
    SetRegString(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", missing);
    const std::string url = missing + "\\QOVA\\Norvane web page.url";
    const std::string message = MessageOf([&] { Install(); });
    EXPECT_EQ(0, message.rfind("Cannot create file \"" + url + "\". ", 0)) << message;
    std::string location;
    EXPECT_TRUE(Registered(&location));
    EXPECT_EQ(installDir, location);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("=" + desktop + "\\QOVAsim.lnk\r\n"));
    EXPECT_NE(std::string::npos, log.find("[Folders]\r\n1=" + missing + "\\QOVA\\\r\n"));
    EXPECT_EQ(std::string::npos, log.find(".url")) << "nothing logged for the file that failed";
    EXPECT_EQ(std::string::npos, log.find("qova.ini"));
    EXPECT_EQ(std::string::npos, log.find("Devices"));
    EXPECT_FALSE(PathExists(installDir + "Devices"));
    EXPECT_EQ(0, user.MessagePasses);
}

TEST_F(InstallFilesTest, ExistingDeviceFilesAreAskedAboutInTableOrder)
{
    ASSERT_TRUE(Install());
    const std::string payloadDir = Env("QOVA_PAYLOAD_DIR");
    auto original = [&](size_t row) { return ReadBytes(payloadDir + "\\" + ProductManifest::DeviceTable[row].FileName); };
    auto own = [&](size_t row) { return "user's own " + std::to_string(row) + "\r\n"; };
    auto reinstall = [&](std::deque<int> answers, const std::function<void()>& prepare = {}) {
        for (size_t row = 0; row < ProductManifest::DeviceTable.size(); ++row)
            WriteBytes(DeviceFile("Devices", row), own(row));
        if (prepare)
            prepare();
        state = TSetupState{};
        user.Asked.clear();
        user.Answers = std::move(answers);
        ASSERT_TRUE(Install());
        EXPECT_TRUE(user.Answers.empty()) << "fewer questions than expected";
        EXPECT_EQ(std::string::npos, Log().find(".qdev"));
        EXPECT_EQ(std::string::npos, Log().find(".qsub"));
    };
    auto kept = [&](size_t row) { return ReadText(DeviceFile("Devices", row)) == own(row); };

    {
        SCOPED_TRACE("No, Yes, close box, No (Escape), Yes to All");
        // The file answered Yes is replaced by a new one, not rewritten:
        // a second name (hard link) of the old one keeps the user's bytes.
        const std::string secondName = installDir + "Devices\\mine.qdev";
        reinstall({mrNo, mrYes, mrCancel, mrNo, mrYesToAll},
                  [&] { ASSERT_TRUE(CreateHardLinkA(secondName.c_str(), DeviceFile("Devices", 1).c_str(), nullptr)); });
        EXPECT_EQ(own(1), ReadText(secondName));
        std::vector<std::string> names{"mine.qdev"};
        for (const auto& row : ProductManifest::DeviceTable)
            names.push_back(row.FileName);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, FolderEntries(installDir + "Devices")) << "no temporary file left";
        DeleteFileA(secondName.c_str());
        ASSERT_EQ(5u, user.Asked.size());
        for (size_t row = 0; row < 5; ++row) {
            EXPECT_EQ(std::string("Device \"") + ProductManifest::DeviceTable[row].FileName +
                          "\" already exists, override?",
                      user.Asked[row].Text);
            EXPECT_EQ(TMsgDlgType::Warning, user.Asked[row].Type);
            EXPECT_EQ(unsigned{mbYes | mbNo | mbYesToAll}, user.Asked[row].Buttons);
        }
        EXPECT_TRUE(kept(0));
        EXPECT_EQ(original(1), ReadBytes(DeviceFile("Devices", 1)));
        EXPECT_TRUE(kept(2)) << "closing the question is not a yes";
        EXPECT_TRUE(kept(3));
        for (size_t row = 4; row < 8; ++row)
            EXPECT_EQ(original(row), ReadBytes(DeviceFile("Devices", row))) << row;
    }
    {
        SCOPED_TRACE("missing files are written without a question");
        for (size_t row = 0; row < ProductManifest::DeviceTable.size(); ++row)
            WriteBytes(DeviceFile("Devices", row), own(row));
        DeleteFileA(DeviceFile("Devices", 0).c_str());
        DeleteFileA(DeviceFile("Devices", 6).c_str());
        state = TSetupState{};
        user.Asked.clear();
        user.Answers = {mrNo, mrNo, mrNo, mrNo, mrNo, mrNo};
        ASSERT_TRUE(Install());
        EXPECT_TRUE(user.Answers.empty());
        EXPECT_EQ(original(0), ReadBytes(DeviceFile("Devices", 0)));
        EXPECT_EQ(original(6), ReadBytes(DeviceFile("Devices", 6)));
        for (size_t row : {1u, 2u, 3u, 4u, 5u, 7u})
            EXPECT_TRUE(kept(row)) << row;
    }
}

TEST_F(InstallFilesTest, UninstallerRemovesWhatTheLogLists)
{
    ASSERT_TRUE(Install());
    state.Log.InstallLog.reset();
    // The uninstaller is another process: the registry override does not
    // reach it, so its entry goes into this prefix's own machine key.
    const std::string location = state.InstallDir;
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegisterUninstall(location);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + installDir + "Uninstall.exe\" /quiet";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    const TKernelHandle uninstaller(process.hProcess), thread(process.hThread);
    WaitForSingleObject(uninstaller.get(), INFINITE);
    // The work is done by a copy that waits for the original to exit.
    for (int i = 0; i < 300 && PathExists(installDir + "install.log"); ++i)
        Sleep(100);
    for (int i = 0; i < 50 && PathExists(programs + "\\QOVA"); ++i)
        Sleep(100);

    for (const auto& row : ProductManifest::PayloadTable)
        EXPECT_FALSE(PathExists(installDir + row.FileName)) << row.FileName;
    EXPECT_FALSE(PathExists(installDir + "install.log"));
    EXPECT_FALSE(PathExists(desktop + "\\QOVA.lnk"));
    EXPECT_FALSE(PathExists(programs + "\\QOVA"));
    for (const char* name : ProductManifest::DataFolderTable) {
        if (std::string(name) != "Devices") {
            EXPECT_FALSE(PathExists(installDir + name)) << name;
        }
    }
    // Only the device files, which the log does not own, are left.
    for (size_t row = 0; row < ProductManifest::DeviceTable.size(); ++row)
        EXPECT_TRUE(PathExists(DeviceFile("Devices", row))) << row;
    TRegKey entry = OpenRegKey(HKEY_LOCAL_MACHINE, UninstallKey, KEY_READ);
    EXPECT_FALSE(entry) << "uninstall entry left behind";
    if (entry) {
        entry.reset();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    }
}

} // namespace
