// Opening a document or web address with the program the user has for it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// ShellExecuteA "open" with no parameters or folder and SW_SHOWDEFAULT; the
// result is not examined (no browser simply means nothing opens).
void ShellOpen(HWND parent, const std::string& file);

// Tests watch instead of starting a browser: while a hook is set,
// ShellOpen calls it and opens nothing. An empty function removes it.
using TShellOpenHook = std::function<void(HWND parent, const std::string& file)>;
void SetShellOpenHook(TShellOpenHook hook);
