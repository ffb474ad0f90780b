// Folders the shell names by a CSIDL number.
#pragma once

#include <string>

// The folder's current path without a trailing backslash; "" when the
// system has no such folder.
std::string ShellFolderPath(int csidl);
