// Version and environment queries of the running system.
#pragma once

#include <string>

// True on the Windows NT family (platform identifier VER_PLATFORM_WIN32_NT).
bool IsWindowsNT();

// Whether the process runs with an elevated token: administrator rights
// that it must not hand to programs the user drives.
bool IsElevated();

// Tests decide for the object's life whether the process counts as elevated.
class TAssumedElevation {
public:
    explicit TAssumedElevation(bool elevated);
    ~TAssumedElevation();
    TAssumedElevation(const TAssumedElevation&) = delete;
    TAssumedElevation& operator=(const TAssumedElevation&) = delete;
};

// The text with environment variables expanded; a reference to an undefined
// variable stays as written. "" when the system cannot expand it.
std::string ExpandEnvironment(const std::string& text);

struct TLocalDate {
    int Year = 0;
    int Month = 0; // 1 to 12
    int Day = 0;   // 1 to 31
};

// Today by the local clock.
TLocalDate LocalDate();
