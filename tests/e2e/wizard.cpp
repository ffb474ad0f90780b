#include "tests/e2e/wizard.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>

namespace e2e {

bool TWizard::Start()
{
    if (!process_.Id()) {
        ADD_FAILURE() << "setup.exe did not start, error " << process_.StartError();
        return false;
    }
    if (!WaitUntil([&] { return (Main = process_.FindMainWindow()) != nullptr || !process_.Running(); }, 60000) ||
        !Main) {
        ADD_FAILURE() << "no window shown";
        return false;
    }
    LaunchSeconds = SecondsSince(process_.StartedAt());
    // The later pages' controls come once the window is on the screen.
    const auto findAll = [&] {
        ContinueBt = FindControl(Main, TControlId::ContinueBt);
        ExitBt = FindControl(Main, TControlId::ExitBt);
        BackBt = FindControl(Main, TControlId::BackBt);
        Pages = FindControl(Main, TControlId::PageControl);
        FolderEdit = FindControl(Main, TControlId::FolderEdit);
        LangCombo = FindControl(Main, TControlId::LangCombo);
        DeskIconCheck = FindControl(Main, TControlId::DeskIconCheck);
        StartIconCheck = FindControl(Main, TControlId::StartIconCheck);
        for (HWND control : {ContinueBt, ExitBt, BackBt, Pages, FolderEdit, LangCombo, DeskIconCheck, StartIconCheck})
            if (!control)
                return false;
        return true;
    };
    if (!WaitUntil(findAll, 10000)) {
        ADD_FAILURE() << "a control of the window is missing";
        return false;
    }
    Settle(Main);
    return true;
}

TPage TWizard::Page() const
{
    return ShownPage(Pages);
}

bool TWizard::Next(TPage expectedPage)
{
    ClickWithMouse(ContinueBt);
    const bool moved = WaitUntil([&] { return Page() == expectedPage; }, 10000);
    EXPECT_TRUE(moved) << Page() << " instead of " << expectedPage;
    Settle(Main);
    return moved;
}

void TWizard::Screenshot(HWND window, const std::string& name) const
{
    // The pointer off the window, so that no button shows it hovering there:
    // the pictures show the window as it stands, whatever was clicked last.
    // The buttons learn that it left from the system's tracking timer.
    RECT place{};
    GetWindowRect(window, &place);
    SetCursorPos(place.left > 0 ? place.left - 1 : place.right + 1, place.top > 0 ? place.top - 1 : place.bottom + 1);
    Sleep(500);
    Settle(window);
    const std::string out = testing_support::Env("QOVA_E2E_OUT");
    EXPECT_TRUE(SaveScreenshot(window, out + "\\" + name + ".bmp")) << name;
}

TDialog TWizard::Dialog(DWORD timeoutMs) const
{
    TDialog dialog;
    EXPECT_TRUE(process_.WaitForDialog(dialog, timeoutMs)) << "no dialog opened";
    return dialog;
}

void TWizard::Answer(const TDialog& dialog, const char* buttonText) const
{
    if (!buttonText) {
        CloseWithCloseBox(dialog.Window);
    } else {
        const auto found = std::find(dialog.ButtonTexts.begin(), dialog.ButtonTexts.end(), buttonText);
        if (found == dialog.ButtonTexts.end()) {
            ADD_FAILURE() << "no button " << buttonText << " in dialog " << dialog.Caption;
            return;
        }
        PressButton(dialog.Buttons[static_cast<size_t>(found - dialog.ButtonTexts.begin())]);
    }
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog.Window); }, 10000)) << "dialog stays";
}

bool TWizard::NoDialogOpen() const
{
    Settle(Main);
    TDialog dialog;
    return !process_.FindDialog(dialog);
}

long TWizard::Exit(DWORD timeoutMs) const
{
    DWORD code = 0;
    return process_.WaitForExit(timeoutMs, code) ? static_cast<long>(code) : -1;
}

} // namespace e2e
