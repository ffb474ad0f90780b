// The product's entry in the system's list of installed programs.
#pragma once

#include "engine/setup_state.h"
#include "platform/system_info.h"

#include <string>

// Writes HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\QOVA for
// state.InstallDir. Silently nothing when the key cannot be opened or
// created; raises "Failed to set data for '%s'" when a value write fails.
void RegisterUninstall(const TSetupState& state);

// "yyyymmdd", as the list of installed programs expects InstallDate.
std::string InstallDateText(const TLocalDate& date);
