#include "install/install_files.h"

#include "engine/product_manifest.h"
#include "install/install_folder.h"
#include "install/payload_check.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/text_encoding.h"
#include "shell/known_folders.h"
#include "shell/language.h"
#include "shell/shortcuts.h"
#include "shell/uninstall_entry.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

using namespace ProductManifest;

namespace {

void CreateProgramLinks(TSetupState& state, const std::string& folder)
{
    const std::string program = state.InstallDir + MainProgram.FileName;
    const std::string simulator = state.InstallDir + Simulator.FileName;
    CreateShellLink(state.Log, state.InstallDir, program, "",
                    AnsiToWide(folder + ProductIdentity.ShortName + ".lnk"), ProductIdentity.FullName,
                    program, 0);
    CreateShellLink(state.Log, state.InstallDir, simulator, "",
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
        // Made and held with its way for the links in it; what cannot be
        // made shows when the web-page shortcuts are.
        const TUserFolder groupWay(group, 1);
        state.Log.LogPath(lkFolder, group);
        CreateProgramLinks(state, group);
        urlFolder = group;
    }
    const std::string iconFile = state.InstallDir + MainProgram.FileName;
    CreateUrlShortcut(state.Log, urlFolder, MakerLinkName, MakerURL, iconFile, 1);
    CreateUrlShortcut(state.Log, urlFolder, ProductLinkName, ProductIdentity.AboutURL, iconFile, 1);
    state.Log.LogPath(lkFile, state.ProgramIniPath);
    state.Log.LogPath(lkFile, state.SimulatorIniPath);
    // The hand-off itself decides whether English has anything to write.
    // The installation folder, held and the administrators' alone, for the
    // copies the profile functions work on.
    HandOffLanguage(state.ProgramIniPath, state.SimulatorIniPath, state.CurrentLangLibrary, choices.LangIndex,
                    state.InstallDir);
}

// False when a device file's extraction failed.
bool CopyDevices(IInstallUser& user, const TExtractFunction& extract,
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
        else if (!extract(path, row.ResourceName).Commit())
            return false;
    }
    return true;
}

bool ReportPayloadFailure(IInstallUser& user)
{
    user.MessageDlg("Error decompressing file.", TMsgDlgType::Error, mbOK);
    return false;
}

} // namespace

bool InstallFiles(TSetupState& state, const TInstallChoices& choices, IInstallUser& user,
                  const TExtractFunction& extract)
{
    state.InstallDir = IncludeTrailingBackslash(choices.Folder);
    const std::size_t devicesRow = static_cast<std::size_t>(choices.LangIndex) * DataFoldersPerLanguage;
    const std::string devicesFolder =
        state.InstallDir + (devicesRow < DataFolderTable.size() ? DataFolderTable[devicesRow] : DataFolderTable[0]);
    // The folder page examined the folder; since then a folder on the way
    // may have become a link, or the folder someone else's. From here on
    // the way is held.
    TInstallFolder folder(state.InstallDir, devicesFolder);
    // Before anything is created or deleted: a reinstallation that cannot
    // replace every file leaves the folder, its old log included, as it was.
    // On two threads only where every new file fits beside the old ones.
    const bool roomForAll = CheckPayloadTargets(state.InstallDir, devicesFolder);
    // Never merged into: an old log that someone holds open stops the
    // installation here, as it was.
    const std::string logPath = state.InstallDir + "install.log";
    DeleteUnsharedFile(logPath);
    folder.Make();
    state.Log.InstallLog = std::make_unique<TInstallLog>(logPath);
    TInstallLog& log = *state.Log.InstallLog;
    log.Write("Application", "ShortName", ProductIdentity.ShortName);
    log.Write("Application", "FullName", ProductIdentity.FullName);
    log.Write("Application", "Version", ProductIdentity.VersionText);

    std::vector<TExtraction> files;
    std::vector<bool> logged;
    for (const TPayloadRow& row : PayloadTable) {
        const bool preserved = IsPreserved(row.FileName);
        const std::string path = state.InstallDir + row.FileName;
        if (preserved && FileExists(path))
            continue;
        files.push_back({path, row.ResourceName});
        logged.push_back(!preserved);
    }
    if (!ExtractInOrder(files, extract, [&](std::size_t i) {
            if (logged[i])
                state.Log.LogPath(lkFile, files[i].Path);
        }, roomForAll))
        return ReportPayloadFailure(user);

    // The product is registered whenever the shortcut stage was entered, so
    // that a half-made installation can still be removed.
    TRegKey explorerKey = OpenExplorerKey();
    try {
        RunShortcutStage(state, choices, explorerKey.get());
    } catch (...) {
        explorerKey.reset();
        try {
            RegisterUninstall(state.InstallDir);
        } catch (...) {
            // The stage's own failure is the one to report.
        }
        throw;
    }
    explorerKey.reset();
    RegisterUninstall(state.InstallDir);

    folder.MakeDataFolders();
    // Logged as soon as they are made, so that the uninstaller also finds
    // them after a device file failed.
    for (const TPreservedRow& row : PreservedTable) {
        if (*row.LogName != '\0')
            state.Log.LogPath(lkFile, state.InstallDir + row.LogName);
    }
    for (const char* name : DataFolderTable) {
        if (*name != '\0')
            state.Log.LogPath(lkFolder, state.InstallDir + name);
    }
    user.ProcessMessages();
    // A device file whose bytes are not the image's is refused like a
    // program file.
    if (!CopyDevices(user, extract, devicesFolder))
        return ReportPayloadFailure(user);
    if (folder.Created())
        state.Log.LogPath(lkFolder, state.InstallDir);
    folder.Complete();
    return true;
}
