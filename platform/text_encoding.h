// Conversion between the system code page (CP_ACP) and UTF-16.
#pragma once

#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);

// The text in upper case by the system's rules for its code page.
std::string UpperCase(std::string text);
