#include "engine/install_files.h"

#include "engine/product_manifest.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "shell/known_folders.h"
#include "shell/language.h"
#include "shell/shortcuts.h"
#include "shell/uninstall_entry.h"

#include <cstddef>
#include <memory>
#include <string>

using namespace ProductManifest;

namespace {

// Marks the state as installing for the procedure's life, and performs a
// log release that a close request asked for meanwhile.
class TInstallingScope {
public:
    explicit TInstallingScope(TSetupState& state) : state_(state) { state_.Installing = true; }
    ~TInstallingScope()
    {
        state_.Installing = false;
        if (state_.LogReleasePending)
            state_.ReleaseInstallLog();
    }
    TInstallingScope(const TInstallingScope&) = delete;
    TInstallingScope& operator=(const TInstallingScope&) = delete;

private:
    TSetupState& state_;
};

void CreateProgramLinks(TSetupState& state, const std::string& folder)
{
    const std::string program = state.InstallDir + PayloadTable[0].FileName;
    const std::string simulator = state.InstallDir + PayloadTable[1].FileName;
    CreateShellLink(state, state.InstallDir, program, "",
                    AnsiToWide(folder + ProductIdentity.ShortName + ".lnk"), ProductIdentity.FullName,
                    program, 0);
    CreateShellLink(state, state.InstallDir, simulator, "",
                    AnsiToWide(folder + ProductIdentity.SimShortName + ".lnk"),
                    ProductIdentity.SimFullName, simulator, 0);
}

void RunShortcutStage(TSetupState& state, const TInstallChoices& choices, HKEY explorerKey)
{
    if (choices.DeskIcon) {
        const std::string desktop = IncludeTrailingBackslash(ReadShellFolderValue(explorerKey, "Desktop"));
        CreateProgramLinks(state, desktop);
    }
    std::string urlFolder = state.InstallDir;
    if (choices.StartIcon) {
        const std::string group = IncludeTrailingBackslash(ReadShellFolderValue(explorerKey, "Programs") + "\\" +
                                                           ProductIdentity.ShortName);
        CreateSingleFolder(group);
        state.LogPath(lkFolder, group);
        CreateProgramLinks(state, group);
        urlFolder = group;
    }
    const std::string iconFile = state.InstallDir + PayloadTable[0].FileName;
    CreateUrlShortcut(state, urlFolder, MakerLinkName, MakerURL, iconFile, 1);
    CreateUrlShortcut(state, urlFolder, ProductLinkName, ProductIdentity.AboutURL, iconFile, 1);
    state.LogPath(lkFile, state.ProgramIniPath);
    state.LogPath(lkFile, state.SimulatorIniPath);
    // The hand-off itself decides whether English has anything to write.
    HandOffLanguage(state, choices.LangIndex);
}

void CopyDevices(IInstallUser& user, TExtractFunction extract,
                 const std::string& devicesFolder)
{
    bool yesToAll = false;
    bool skip = false;
    for (const TPayloadRow& row : DeviceTable) {
        const std::string path = devicesFolder + "\\" + row.FileName;
        if (!yesToAll && FileExists(path)) {
            const int answer = user.MessageDlg(std::string("Device \"") + row.FileName + "\" already exists, override?",
                                               TMsgDlgType::Warning, mbYes | mbNo | mbYesToAll);
            if (answer == mrYesToAll)
                yesToAll = true;
            else if (answer != mrYes)
                // No, Escape and the close box: a device file is the user's own.
                skip = true;
        }
        if (skip)
            skip = false;
        else
            extract(path, row.ResourceName);
    }
}

} // namespace

bool IsPreserved(const std::string& fileName)
{
    for (const TPreservedRow& row : PreservedTable) {
        if (fileName == row.KeepName)
            return true;
    }
    return false;
}

bool InstallFiles(TSetupState& state, const TInstallChoices& choices, IInstallUser& user, TExtractFunction extract)
{
    TInstallingScope installing(state);

    state.InstallDir = IncludeTrailingBackslash(choices.FolderText);
    bool createdFolder = false;
    if (!DirectoryExists(state.InstallDir)) {
        ForceDirectories(state.InstallDir);
        createdFolder = true;
    }
    const std::string logPath = state.InstallDir + "install.log";
    if (FileExists(logPath))
        DeleteFileAt(logPath);
    state.InstallLog = std::make_unique<TInstallLog>(logPath);
    state.InstallLog->Write("Application", "ShortName", ProductIdentity.ShortName);
    state.InstallLog->Write("Application", "FullName", ProductIdentity.FullName);
    state.InstallLog->Write("Application", "Version", ProductIdentity.VersionText);

    bool success = true;
    for (const TPayloadRow& row : PayloadTable) {
        const bool preserved = IsPreserved(row.FileName);
        const std::string path = state.InstallDir + row.FileName;
        if (preserved && FileExists(path))
            continue;
        if (!extract(path, row.ResourceName)) {
            success = false;
            break;
        }
        if (!preserved)
            state.LogPath(lkFile, path);
    }
    if (!success) {
        user.MessageDlg("Error decompressing file.", TMsgDlgType::Error, mbOK);
        return false;
    }

    // The product is registered whenever the shortcut stage was entered, so
    // that a half-made installation can still be removed.
    TRegKey explorerKey = OpenExplorerKey();
    try {
        RunShortcutStage(state, choices, explorerKey.get());
    } catch (...) {
        explorerKey.reset();
        try {
            RegisterUninstall(state);
        } catch (...) {
            // The stage's own failure is the one to report.
        }
        throw;
    }
    explorerKey.reset();
    RegisterUninstall(state);

    const std::size_t devicesRow = static_cast<std::size_t>(choices.LangIndex) * 6;
    const std::string devicesFolder =
        state.InstallDir + (devicesRow < DataFolderTable.size() ? DataFolderTable[devicesRow] : DataFolderTable[0]);
    if (!DirectoryExists(devicesFolder))
        ForceDirectories(devicesFolder);
    user.ProcessMessages();
    CopyDevices(user, extract, devicesFolder);

    for (const TPreservedRow& row : PreservedTable) {
        if (*row.LogName != '\0')
            state.LogPath(lkFile, state.InstallDir + row.LogName);
    }
    for (const char* name : DataFolderTable) {
        if (*name != '\0')
            state.LogPath(lkFolder, state.InstallDir + name);
    }
    if (createdFolder)
        state.LogPath(lkFolder, state.InstallDir);
    return true;
}
