// The shell's folder browser.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Opens SHBrowseForFolderA owned by owner with the given title, centred on
// the monitor nearest mainWindow, every other window of the installer
// disabled meanwhile. True with the chosen path when the user confirmed.
bool BrowseForFolder(HWND owner, HWND mainWindow, const std::string& title, std::string& path);

// Tests answer the browser: while a hook is set, BrowseForFolder calls it
// instead of showing anything. An empty function removes the hook.
using TFolderBrowserHook = std::function<bool(const std::string& title, std::string& path)>;
void SetFolderBrowserHook(TFolderBrowserHook hook);
