// Shell links (.lnk) and internet shortcuts (.url); each logs what it creates.
#pragma once

#include "engine/install_log.h"

#include <cstdint>
#include <string>

// The folder part of a link file: up to its last backslash, which stays
// only for a drive root (as in C:\) or a lone leading backslash.
std::wstring LinkFolderOf(const std::wstring& linkFile);

// Makes a shell link with the shell's link object, writes it through a
// handle of its own (never through a link planted under its name; a file
// that cannot be made fails unseen) and logs it (and its folder, when it
// had to create that) in the install log. Raises "%s, ClassID: %s" or
// "Interface not supported" when the link object is not available.
void CreateShellLink(TLogState& log, const std::string& workingFolder, const std::string& targetPath,
                     const std::string& arguments, const std::wstring& linkFile, const std::string& description,
                     const std::string& iconFile, int32_t iconIndex);

// Writes folder\name.url and logs it. Raises "Cannot create file "%s". %s".
void CreateUrlShortcut(TLogState& log, const std::string& folder, const std::string& name,
                       const std::string& url, const std::string& iconFile, int32_t iconIndex);
