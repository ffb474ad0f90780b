#include "install/install_folder.h"

#include "install/destination.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "shell/known_folders.h"

#include <vector>

namespace {

// Nothing in it, or this product's log: it becomes the installer's.
bool IsClaimable(const std::string& folder)
{
    return IsEmptyFolder(folder) || IsPlainFile(IncludeTrailingBackslash(folder) + "install.log");
}

bool IsOpen(const std::string& folder, TFolderUse use, bool isRoot)
{
    return OthersMayChange(SecurityAt(folder).get(), use, isRoot);
}

} // namespace

std::string FolderOpenToOthers(const std::string& folder)
{
    if (IsInsideProgramFiles(folder))
        return {};
    const std::string full = ExcludeTrailingBackslash(FullPathName(folder));
    const std::vector<std::string> way = FoldersOnTheWay(full);
    for (size_t i = 0; i + 1 < way.size() && DirectoryExists(way[i]); ++i)
        if (IsOpen(way[i], TFolderUse::Place, i == 0))
            return way[i];
    // A volume's root is never taken over.
    const bool root = way.size() == 1;
    if (DirectoryExists(full) && (root || !IsClaimable(full)) && IsOpen(full, TFolderUse::Contents, root))
        return full;
    return {};
}

std::string OpenFolderWarning(const std::string& openFolder)
{
    return "Users other than administrators can change \"" + openFolder +
           "\", so the programs installed there would not be safe. Please choose another folder.";
}

void CheckInstallFolder(const std::string& installDir, const std::string& devicesFolder)
{
    for (const std::string& folder : {installDir, devicesFolder}) {
        const std::string full = ExcludeTrailingBackslash(FullPathName(folder));
        if (PassesThroughReparsePoint(full))
            RaiseCreateError(full, ERROR_CANT_RESOLVE_FILENAME);
    }
    const std::string open = FolderOpenToOthers(installDir);
    if (!open.empty())
        RaiseCreateError(open, ERROR_ACCESS_DENIED);
}

TInstallFolder::TInstallFolder(const std::string& installDir) : secured_(!IsInsideProgramFiles(installDir))
{
    const std::string folder = ExcludeTrailingBackslash(FullPathName(installDir));
    if (!DirectoryExists(folder)) {
        CreateFolders(folder, secured_ ? TFolderKind::Installation : TFolderKind::Inherited);
        created_ = true;
    } else if (secured_ && FoldersOnTheWay(folder).size() > 1 && IsClaimable(folder)) {
        TakeOverFolder(folder, TFolderKind::Installation);
    }
    folder_ = OpenVerifiedFolder(folder);
    if (secured_ && OthersMayChange(SecurityOf(folder_.get()).get(), TFolderUse::Contents,
                                    FoldersOnTheWay(folder).size() == 1))
        RaiseCreateError(folder, ERROR_ACCESS_DENIED);
}

void TInstallFolder::OpenDevicesFolder(const std::string& devicesFolder)
{
    if (!DirectoryExists(devicesFolder))
        CreateFolders(devicesFolder, secured_ ? TFolderKind::Devices : TFolderKind::Inherited);
    devices_ = OpenVerifiedFolder(devicesFolder);
}
