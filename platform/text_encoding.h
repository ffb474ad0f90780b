// Conversions between the system code page and UTF-16.
#pragma once

#include <string>

// The text in UTF-16, read as the system's ANSI code page.
std::wstring AnsiToWide(const std::string& text);
