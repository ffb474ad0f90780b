// Registry access on 8-bit names. The Reg* functions return their error
// code (they do not set the last error); these wrappers keep that apart.
#pragma once

#include "platform/handle.h"

#include <string>

// Opens root\path; empty on failure. A leading backslash means "from the
// root key" and is stripped, since RegOpenKeyExA does not accept it.
TRegKey OpenRegKey(HKEY root, const std::string& path, REGSAM access);

// Opens root\path, creating it (non-volatile, default security) when
// missing; empty on failure.
TRegKey CreateRegKey(HKEY root, const std::string& path, REGSAM access);

struct TRegValueInfo {
    bool Exists = false;
    DWORD Type = REG_NONE;
    DWORD Size = 0;
};

// Type and size of a value, without its data.
TRegValueInfo QueryRegValueInfo(HKEY key, const std::string& name);

// The text of a REG_SZ or REG_EXPAND_SZ value up to its first zero (size 0
// gives ""; an expandable string is not expanded). Missing value: "".
// Any other type raises "Invalid data type for '<name>'".
std::string ReadRegString(HKEY key, const std::string& name);

// REG_SZ with one terminating zero; raises "Failed to set data for '<name>'".
void WriteRegString(HKEY key, const std::string& name, const std::string& value);

// REG_DWORD; raises "Failed to set data for '<name>'".
void WriteRegDword(HKEY key, const std::string& name, DWORD value);
