// The shell's folder browser.
#pragma once

#include <windows.h>

#include <string>

// Opens SHBrowseForFolderA owned by owner with the given title, centred on
// the monitor nearest mainWindow, every other window of the installer
// disabled meanwhile. True with the chosen path when the user confirmed.
bool BrowseForFolder(HWND owner, HWND mainWindow, const std::string& title, std::string& path);
