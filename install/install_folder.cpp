#include "install/install_folder.h"

#include "install/destination.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/replacement_file.h"
#include "shell/known_folders.h"

#include <vector>

namespace {

// Beside the log while an installation into a folder it made is under way.
constexpr const char* CreatedMarkName = "~created.tmp";

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

TInstallFolder::TInstallFolder(const std::string& installDir, const std::string& devicesFolder)
    : secured_(!IsInsideProgramFiles(installDir)),
      mark_(IncludeTrailingBackslash(installDir) + CreatedMarkName),
      devicesFolder_(devicesFolder)
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
    // A run cut short after it made the folder left its mark: the folder
    // is still the installation's to log, so that the uninstaller removes it.
    if (created_)
        CreateNewFile(mark_);
    else if (IsPlainFile(mark_))
        created_ = true;
    RemoveLeftoverTemporaries(folder);
    if (DirectoryExists(devicesFolder_)) {
        devices_ = OpenVerifiedFolder(devicesFolder_);
        RemoveLeftoverTemporaries(devicesFolder_);
    }
}

void TInstallFolder::Complete()
{
    if (created_)
        DeleteFileAt(mark_);
}

void TInstallFolder::OpenDevicesFolder()
{
    if (devices_)
        return;
    CreateFolders(devicesFolder_, secured_ ? TFolderKind::Devices : TFolderKind::Inherited);
    devices_ = OpenVerifiedFolder(devicesFolder_);
}
