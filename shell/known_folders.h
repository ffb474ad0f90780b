// Where things live on the user's computer: shell folders, the per-user
// settings folder and the Program Files folder.
#pragma once

#include "platform/handle.h"

#include <string>

// A folder from the user's "Shell Folders" list with a trailing backslash,
// or "" when it cannot be found. Raises "Invalid data type for '%s'".
std::string GetShellFolder(const std::string& valueName);

// The per-user settings folder (AppData\<CompanyFolder>\QOVA\), created on
// demand; "" when it cannot be determined or created.
std::string GetConfigFolder();

// Looks for "ProgramFilesDir", then "ProgramFilesPath" under one
// HKEY_LOCAL_MACHINE key; true when found (an empty string counts), and
// then result holds its text. result is untouched otherwise.
bool ReadProgramFilesValue(const std::string& keyPath, std::string& result);

// The Program Files folder, environment variables expanded.
std::string GetProgramFilesDir();

// The default installation folder text: Program Files, a backslash unless
// it ends in one, and the short name.
std::string DefaultInstallFolder();

// Whether the folder (a full path) is one of the system's Program Files
// folders, or lies inside one; without regard to case.
bool IsInsideProgramFiles(const std::string& folder);

// The user's Explorer key, opened with full access and created when missing;
// empty when it cannot be opened.
TRegKey OpenExplorerKey();

// One "Shell Folders" value under the open Explorer key, as stored; "" when
// missing or unreadable. Raises "Invalid data type for '%s'".
std::string ReadShellFolderValue(HKEY explorerKey, const std::string& valueName);
