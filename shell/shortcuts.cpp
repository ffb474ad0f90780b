#include "shell/shortcuts.h"

#include "platform/com_object.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/shell_notify.h"
#include "platform/text_encoding.h"

#include <shlobj.h>

std::wstring LinkFolderOf(const std::wstring& linkFile)
{
    const auto slash = linkFile.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return {};
    if (slash == 0 || linkFile[slash - 1] == L':')
        return linkFile.substr(0, slash + 1);
    return linkFile.substr(0, slash);
}

void CreateShellLink(TLogState& log, const std::string& workingFolder, const std::string& targetPath,
                     const std::string& arguments, const std::wstring& linkFile, const std::string& description,
                     const std::string& iconFile, int32_t iconIndex)
{
    const std::string linkFolder = WideToAnsi(LinkFolderOf(linkFile));
    {
        // Released in reverse order at the end of this block, also on an error.
        const TComPtr<IUnknown> object = CreateComObject(CLSID_ShellLink);
        const auto link = QueryComInterface<IShellLinkA>(object.get(), IID_IShellLinkA);

        // The settings' results are not examined: a link with a missing
        // target is still worth having.
        link->SetArguments(arguments.c_str());
        link->SetPath(targetPath.c_str());
        link->SetWorkingDirectory(workingFolder.c_str());
        link->SetDescription(description.c_str());
        link->SetIconLocation(iconFile.c_str(), iconIndex);

        // The user's own folder, which the user may have made a link to
        // anywhere: held, with every folder above it, so that nothing leads
        // the file elsewhere; the folder itself is made when missing.
        const bool missing = !DirectoryExists(linkFolder);
        const TUserFolder way(linkFolder, 1);
        if (missing)
            log.LogPath(lkFolder, linkFolder);
        // Written through a handle of our own, which a link planted under
        // the name does not lead astray (the link object's own save would
        // follow it, elevated). A file that cannot be made fails unseen, as
        // that save did; it is logged either way, so the uninstaller looks.
        const std::string bytes = PersistedBytes(object.get());
        if (!bytes.empty() && !way.Error()) {
            try {
                TFileStream stream(WideToAnsi(linkFile));
                stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
            } catch (const EFCreateError&) {
            }
        }
        log.LogPath(lkFile, WideToAnsi(linkFile));
    }
    NotifyShellFolderCreated(linkFolder);
}

void CreateUrlShortcut(TLogState& log, const std::string& folder, const std::string& name,
                       const std::string& url, const std::string& iconFile, int32_t iconIndex)
{
    const std::string dir = IncludeTrailingBackslash(folder);
    std::string text = "[DEFAULT]\r\nBASEURL=" + url + "\r\n[InternetShortcut]\r\nURL=" + url + "\r\n";
    if (!iconFile.empty())
        text += "IconIndex=" + std::to_string(iconIndex) + "\r\nIconFile=" + iconFile + "\r\n";
    const std::string fileName = dir + name + ".url";

    // As for the links: the folder and its way held, the file made anew.
    const TUserFolder way(dir);
    if (way.Error())
        RaiseCreateError(fileName, way.Error() == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : way.Error());
    TFileStream stream(fileName);
    // Write reports a short write by its result and never raises, so the
    // close and the log entry below are reached once the file exists.
    stream.Write(text.data(), static_cast<int32_t>(text.size()));
    stream.Close();
    log.LogPath(lkFile, fileName);
    NotifyShellFolderCreated(dir);
}
