// The one place that turns a Windows error code into its message text.
#pragma once

#include <windows.h>

#include <string>

// System text for an error code (FormatMessageA into 256 bytes), without
// trailing blanks, control characters and full stops.
std::string SystemErrorText(DWORD code);
