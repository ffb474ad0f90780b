// The product's entry in the system's list of installed programs.
#pragma once

#include "platform/system_info.h"

#include <string>

// Writes HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\QOVA for
// the installation folder (with its trailing backslash). Silently nothing
// when the key cannot be opened or created; raises "Failed to set data for
// '%s'" when a value write fails.
void RegisterUninstall(const std::string& installDir);

// "yyyymmdd", as the list of installed programs expects InstallDate.
std::string InstallDateText(const TLocalDate& date);
