#include "platform/system_info.h"

#include <windows.h>

#include <vector>

bool IsWindowsNT()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string ExpandEnvironment(const std::string& text)
{
    // The first call only learns the size, terminating zero included.
    const DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::vector<char> buffer(size, '\0');
    const DWORD written = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), size);
    if (written == 0 || written > size)
        return {};
    return std::string(buffer.data());
}

TLocalDate LocalDate()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}
