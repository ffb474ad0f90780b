#include "form_fixture.h"


#include <commctrl.h>

namespace testing_support {

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool Enabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

bool TakeQuit()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

RECT TabRect(HWND tabs, int index)
{
    RECT rect{};
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void Click(HWND window, int x, int y)
{
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickCentre(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    Click(window, client.right / 2, client.bottom / 2);
}

void SetupFormTest::SetUp()
{
    SetRegString(HKEY_CURRENT_USER, ShellFolders, "AppData", appData.Path());
    SetRegString(HKEY_LOCAL_MACHINE, NtVersionKey, "ProgramFilesDir", "C:\\Program Files");
    TakeQuit();
}

void SetupFormTest::TearDown()
{
    form.reset();
    TakeQuit();
}

int SetupFormTest::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    return prompts.Answer(text, type, buttons);
}

bool SetupFormTest::BrowseForFolder(HWND, const std::string& title, std::string& path)
{
    return browse && browse(title, path);
}

void SetupFormTest::OpenWebPage(HWND parent, const std::string& address)
{
    opened.emplace_back(parent, address);
}

void SetupFormTest::ReportError(const std::string& text) noexcept
{
    reports.push_back(text);
    if (whenReported)
        whenReported();
}

TSetupForm& SetupFormTest::Open(bool systemDesktop)
{
    const auto installer = [this](TSetupState& state, const TInstallChoices& choices, IInstallUser& user) {
        ++installs;
        installedWith = choices;
        return script ? script(state, choices, user) : true;
    };
    form = std::make_unique<TSetupForm>(installer, systemDesktop ? nullptr : this);
    form->Show();
    // As the message loop would, before anything a person does.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    return *form;
}

void SetupFormTest::ToPage(TPage page)
{
    while (form->Page() < page) {
        const TPage before = form->Page();
        HWND continueBt = form->Controls().ContinueBt.Handle();
        ASSERT_TRUE(Enabled(continueBt) && IsWindowVisible(continueBt)) << "Continue cannot be clicked on " << before;
        ClickCentre(continueBt);
        ASSERT_NE(before, form->Page()) << "the page " << before << " refused to move on";
    }
    ASSERT_EQ(page, form->Page());
}

TPage SetupFormTest::VisiblePage() const
{
    TPage shown = TPage::Count;
    for (int i = 0; i < PageCount; ++i) {
        // The page's own flag: after a close the whole window is hidden.
        if (GetWindowLongPtrA(form->Controls().Sheet(static_cast<TPage>(i)), GWL_STYLE) & WS_VISIBLE) {
            EXPECT_EQ(TPage::Count, shown) << "two pages shown";
            shown = static_cast<TPage>(i);
        }
    }
    return shown;
}

void SetupFormTest::ExpectOnPage(TPage page) const
{
    EXPECT_EQ(page, form->Page());
    EXPECT_EQ(static_cast<int>(page), SendMessageA(form->Controls().PageControl, TCM_GETCURSEL, 0, 0));
    EXPECT_EQ(page, VisiblePage());
}

void SetupFormTest::SendCommand(const TGlyphButton& button)
{
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button.Handle()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.Handle()));
}

} // namespace testing_support
