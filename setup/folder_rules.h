// What the destination folder text must be. Portable: no Windows headers.
#pragma once

#include <string>

// The text without leading and trailing blanks (spaces and control characters).
std::string TrimBlanks(const std::string& text);

// A drive letter, a colon and a backslash, or a UNC path \\server\share.
// Anything else would install relative to wherever the installer started.
bool IsFullPath(const std::string& path);
