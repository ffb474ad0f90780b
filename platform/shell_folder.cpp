#include "platform/shell_folder.h"

#include <windows.h>
#include <shlobj.h>

std::string ShellFolderPath(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}
