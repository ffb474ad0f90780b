#include "platform/shell_notify.h"

#include <windows.h>
#include <shlobj.h>

void NotifyShellFolderCreated(const std::string& folder)
{
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, folder.c_str(), nullptr);
}
