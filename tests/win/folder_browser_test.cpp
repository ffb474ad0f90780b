// The real shell folder browser: where it opens, what it disables and the
// error mode while it is up. A timer inside its modal loop looks and cancels.
#include "platform/folder_browser.h"
#include "platform/modal_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TSeen {
    HWND owner = nullptr;
    HWND browser = nullptr;
    RECT frame{};
    bool ownerEnabled = true;
    bool otherEnabled = true;
    UINT errorMode = 0;
};

TSeen* seen = nullptr;
HWND other = nullptr;

BOOL CALLBACK FindBrowser(HWND window, LPARAM) noexcept
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == "#32770" && GetWindow(window, GW_OWNER) == seen->owner) {
        seen->browser = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (!seen || seen->browser)
        return;
    EnumThreadWindows(GetCurrentThreadId(), FindBrowser, 0);
    if (!seen->browser)
        return;
    GetWindowRect(seen->browser, &seen->frame);
    seen->ownerEnabled = IsWindowEnabled(seen->owner) != FALSE;
    seen->otherEnabled = IsWindowEnabled(other) != FALSE;
    seen->errorMode = GetErrorMode();
    PostMessageA(seen->browser, WM_COMMAND, IDCANCEL, 0);
}

HWND MakeWindow(const char* title, int x)
{
    HWND window = CreateWindowExA(0, "Static", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 40, 300, 200, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_TRUE(window);
    return window;
}

TEST(FolderBrowser, OpensCentredOnTheMainWindowsMonitorWithTheRestDisabled)
{
    HWND owner = MakeWindow("browser owner", 20);
    other = MakeWindow("another window of the installer", 400);
    TSeen look;
    look.owner = owner;
    seen = &look;
    const UINT modeBefore = GetErrorMode();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, Look);

    std::string path = "untouched";
    const bool chosen = BrowseForFolder(owner, owner, "Select destination folder", path);

    KillTimer(nullptr, timer);
    seen = nullptr;
    ASSERT_TRUE(look.browser) << "the browser did not open";
    EXPECT_FALSE(chosen);
    EXPECT_EQ("untouched", path);
    const POINT centre = CentredIn(NearestMonitorRect(owner), look.frame.right - look.frame.left,
                                   look.frame.bottom - look.frame.top);
    EXPECT_EQ(centre.x, look.frame.left);
    EXPECT_EQ(centre.y, look.frame.top);
    EXPECT_FALSE(look.ownerEnabled);
    EXPECT_FALSE(look.otherEnabled);
    EXPECT_TRUE(look.errorMode & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(modeBefore, GetErrorMode()) << "error mode restored";
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_TRUE(IsWindowEnabled(other));
    // The browser's apartment is the program's, never left before its end:
    // with this thread's own left, the thread is still in it.
    CoUninitialize();
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    DestroyWindow(other);
    DestroyWindow(owner);
}

} // namespace
