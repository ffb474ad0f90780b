#include "platform/system_info.h"

#include "platform/unique_handle.h"

#include <windows.h>

#include <optional>

#include <vector>

bool IsWindowsNT()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

namespace {

std::optional<bool>& AssumedElevation()
{
    static std::optional<bool> elevated;
    return elevated;
}

} // namespace

bool IsElevated()
{
    if (AssumedElevation())
        return *AssumedElevation();
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return true; // unknown: taken as the safer case
    const TKernelHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        return true;
    return elevation.TokenIsElevated != 0;
}

TAssumedElevation::TAssumedElevation(bool elevated)
{
    AssumedElevation() = elevated;
}

TAssumedElevation::~TAssumedElevation()
{
    AssumedElevation().reset();
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
