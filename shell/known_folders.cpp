#include "shell/known_folders.h"

#include "engine/product_manifest.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/registry.h"
#include "platform/shell_folder.h"
#include "platform/system_info.h"
#include "platform/text_encoding.h"

#include <shlobj.h>

namespace {

// The leading backslash means "from the root key"; OpenRegKey strips it.
const char* const UserExplorerPath = "\\Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
const char* const ProcedureExplorerPath = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
const char* const ShellFoldersKey = "Shell Folders";

const char* const NtVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char* const WindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const ProgramFilesFallback = "%SystemDrive%\\Program Files";

// A string value with at least its terminating zero; an empty string counts.
bool IsProgramFilesValue(HKEY key, const std::string& name)
{
    const TRegValueInfo info = QueryRegValueInfo(key, name);
    return info.Exists && (info.Type == REG_SZ || info.Type == REG_EXPAND_SZ) && info.Size > 0;
}

} // namespace

std::string GetShellFolder(const std::string& valueName)
{
    const TRegKey explorer = OpenRegKey(HKEY_CURRENT_USER, UserExplorerPath, KEY_READ);
    if (!explorer)
        return {};
    const TRegKey folders = OpenRegKey(explorer.get(), ShellFoldersKey, KEY_READ);
    if (!folders)
        return {};
    const std::string text = ReadRegString(folders.get(), valueName);
    return text.empty() ? text : IncludeTrailingBackslash(text);
}

std::string GetConfigFolder()
{
    const std::string appData = GetShellFolder("AppData");
    if (appData.empty())
        return {};
    const std::string path = appData + ProductManifest::ProductIdentity.CompanyFolder + "\\" +
                             ProductManifest::ProductIdentity.ShortName + "\\";
    // Only these two levels are made; AppData itself must exist. The user's
    // own folders, made never through a link the user may have put there.
    if (TUserFolder(path, 2).Error())
        return {};
    return path;
}

bool ReadProgramFilesValue(const std::string& keyPath, std::string& result)
{
    const TRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, keyPath, KEY_READ);
    if (!key)
        return false;
    for (const char* name : {"ProgramFilesDir", "ProgramFilesPath"}) {
        if (IsProgramFilesValue(key.get(), name)) {
            result = ReadRegString(key.get(), name);
            return true;
        }
    }
    return false;
}

std::string GetProgramFilesDir()
{
    std::string dir;
    bool found = false;
    if (IsWindowsNT())
        found = ReadProgramFilesValue(NtVersionKey, dir);
    if (!found)
        found = ReadProgramFilesValue(WindowsVersionKey, dir);
    if (!found)
        dir = ProgramFilesFallback;
    return ExpandEnvironment(dir);
}

std::string DefaultInstallFolder()
{
    return IncludeTrailingBackslash(GetProgramFilesDir()) + ProductManifest::ProductIdentity.ShortName;
}

bool IsInsideProgramFiles(const std::string& folder)
{
    // The registry's own record of the native folder, for a 32-bit process
    // on 64-bit Windows, whose CSIDL_PROGRAM_FILES is the x86 one.
    std::string native;
    if (const TRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, WindowsVersionKey, KEY_READ))
        native = ReadRegString(key.get(), "ProgramW6432Dir");
    const std::string path = UpperCase(IncludeTrailingBackslash(folder));
    for (const std::string& root : {GetProgramFilesDir(), ShellFolderPath(CSIDL_PROGRAM_FILES),
                                    ShellFolderPath(CSIDL_PROGRAM_FILESX86), native}) {
        if (root.empty())
            continue;
        const std::string prefix = UpperCase(IncludeTrailingBackslash(FullPathName(root)));
        if (path.compare(0, prefix.size(), prefix) == 0)
            return true;
    }
    return false;
}

TRegKey OpenExplorerKey()
{
    return CreateRegKey(HKEY_CURRENT_USER, ProcedureExplorerPath, KEY_ALL_ACCESS);
}

std::string ReadShellFolderValue(HKEY explorerKey, const std::string& valueName)
{
    if (!explorerKey)
        return {};
    const TRegKey folders = OpenRegKey(explorerKey, ShellFoldersKey, KEY_ALL_ACCESS);
    if (!folders)
        return {};
    return ReadRegString(folders.get(), valueName);
}
