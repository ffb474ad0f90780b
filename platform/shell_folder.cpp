#include "platform/shell_folder.h"

#include "platform/dll_search.h"

#include <windows.h>
#include <shlobj.h>

std::string ShellFolderPath(int csidl)
{
    char path[MAX_PATH] = "";
    static const auto folderPath = SystemFunction<decltype(&::SHGetFolderPathA)>("shell32.dll", "SHGetFolderPathA");
    if (FAILED(folderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}
