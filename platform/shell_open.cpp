#include "platform/shell_open.h"

#include <shellapi.h>

namespace {

TShellOpenHook& Hook()
{
    static TShellOpenHook hook;
    return hook;
}

} // namespace

void ShellOpen(HWND parent, const std::string& file)
{
    if (const auto& hook = Hook()) {
        hook(parent, file);
        return;
    }
    ShellExecuteA(parent, "open", file.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

void SetShellOpenHook(TShellOpenHook hook)
{
    Hook() = std::move(hook);
}
