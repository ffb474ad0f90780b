#include "platform/shell_notify.h"

#include "platform/dll_search.h"

#include <windows.h>
#include <shlobj.h>

void NotifyShellFolderCreated(const std::string& folder)
{
    static const auto notify = SystemFunction<decltype(&::SHChangeNotify)>("shell32.dll", "SHChangeNotify");
    notify(SHCNE_MKDIR, SHCNF_PATHA, folder.c_str(), nullptr);
}
