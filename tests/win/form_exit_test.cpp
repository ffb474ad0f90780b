// How the installation ends on the wizard and the rules for leaving it:
// before, during and after the installation, and the default error report.
#include "form_fixture.h"

#include "engine/install_log.h"
#include "platform/message_dialog.h"
#include "platform/profile_file.h"
#include "setup/application.h"
#include "setup/child_window.h"
#include "setup/control_text.h"
#include "setup/dpi.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// ---- The installation and its end states ----

TEST_F(SetupFormTest, FinishedAfterASuccessfulInstallation)
{
    Open();
    ToPage(TPage::Ready);
    script = [this](TSetupState& state, const TInstallChoices&, IInstallUser&) {
        // While it runs: Installing, buttons off, the notice changed.
        EXPECT_FALSE(Enabled(form->Controls().ContinueBt.Handle()));
        EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));
        EXPECT_EQ("please wait...", WindowText(form->Controls().StatusLabel));
        EXPECT_EQ(TExitState::MustConfirm, form->ExitState());
        EXPECT_TRUE(form->Installing());
        state.Log.InstallLog = std::make_unique<TInstallLog>(appData / "install.log");
        return true;
    };
    form->ContinueBtClick();
    EXPECT_EQ(1, installs);
    ExpectOnPage(TPage::Finish);
    EXPECT_EQ(TExitState::InstallationReturned, form->ExitState());
    EXPECT_EQ("Close", WindowText(form->Controls().ExitBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));
    EXPECT_EQ("Program installed successfully", WindowText(form->Controls().FinalLabel));

    EXPECT_EQ(TRUE, SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_FALSE(TakeQuit());
    form->ExitBtClick();
    EXPECT_TRUE(prompts.Asked.empty()) << "no question after the installation";
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(form->State.Log.InstallLog) << "the log writer is released on closing";
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SetupFormTest, FailedInstallationStaysOnTheReadyPageAndClosesWithoutAQuestion)
{
    Open();
    ToPage(TPage::Ready);
    script = [](TSetupState&, const TInstallChoices&, IInstallUser&) { return false; };
    form->ContinueBtClick();
    ExpectOnPage(TPage::Ready);
    EXPECT_EQ("please wait...", WindowText(form->Controls().StatusLabel));
    EXPECT_EQ(TExitState::InstallationReturned, form->ExitState());
    EXPECT_EQ("Close", WindowText(form->Controls().ExitBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));

    // A close from the system is granted now, without a question.
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(prompts.Asked.empty());
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SetupFormTest, InterruptedInstallationIsReportedAndStillAsksOnExit)
{
    Open();
    ToPage(TPage::Ready);
    script = [](TSetupState&, const TInstallChoices&, IInstallUser&) -> bool {
        throw EFCreateError("C:\\QOVA\\QOVA.exe", "Access is denied");
    };
    SendCommand(form->Controls().ContinueBt); // through the window procedure, as a click
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Cannot create file \"C:\\QOVA\\QOVA.exe\". Access is denied.", reports[0]);
    ExpectOnPage(TPage::Ready);
    EXPECT_EQ(TExitState::MustConfirm, form->ExitState());
    EXPECT_EQ("Exit setup", WindowText(form->Controls().ExitBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().ContinueBt.Handle()));
    EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));
    EXPECT_FALSE(form->Installing());

    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Closed());
    prompts.Answers = {mrNo, mrYes};
    form->ExitBtClick();
    EXPECT_FALSE(form->Closed());
    form->ExitBtClick();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(2u, prompts.Asked.size());
    EXPECT_TRUE(TakeQuit());
}

// ---- Leaving before the installation ----

TEST_F(SetupFormTest, ExitIsAskedOnEveryPageBeforeTheFinishAndOnlyYesLeaves)
{
    for (TPage page : BeforeFinish) {
        SCOPED_TRACE(page);
        Open();
        ToPage(page);
        for (int refusal : {mrNo, mrCancel}) { // No or Escape; the close box
            prompts.Asked.clear();
            prompts.Answers = {refusal};
            form->ExitBtClick();
            ASSERT_EQ(1u, prompts.Asked.size());
            EXPECT_EQ(ExitQuestion, prompts.Asked[0].Text);
            EXPECT_EQ(TMsgDlgType::Warning, prompts.Asked[0].Type);
            EXPECT_EQ(static_cast<unsigned>(mbYes | mbNo), prompts.Asked[0].Buttons);
            EXPECT_FALSE(form->Closed());
            EXPECT_TRUE(IsWindowVisible(form->Handle()));
            ExpectOnPage(page);
            EXPECT_EQ(TExitState::MustConfirm, form->ExitState());
            EXPECT_EQ(page > TPage::Welcome, Enabled(form->Controls().BackBt.Handle()));
            EXPECT_FALSE(TakeQuit());
        }
        prompts.Answers = {mrYes};
        form->ExitBtClick();
        EXPECT_EQ(TExitState::Confirmed, form->ExitState());
        EXPECT_TRUE(form->Closed());
        EXPECT_FALSE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(TakeQuit());
        EXPECT_EQ(0, installs);
        EXPECT_FALSE(PathExists("C:\\Program Files\\QOVA\\install.log"));
        form.reset();
    }
}

TEST_F(SetupFormTest, SystemCloseAndShutdownQueryAreRefusedWhileTheExitStateIsZero)
{
    Open();
    for (TPage page : BeforeFinish) {
        ToPage(page);
        SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(FALSE, SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0));
        EXPECT_FALSE(form->Closed());
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        ExpectOnPage(page);
    }
    bool canClose = true;
    form->FormCloseQuery(canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(prompts.Asked.empty()) << "refused without a question";
    EXPECT_FALSE(TakeQuit());
}

// ---- A close request while the installation runs ----

TEST_F(SetupFormTest, ExitConfirmedDuringTheInstallationClosesRightAfterItReturns)
{
    Open();
    ToPage(TPage::Ready);
    bool checked = false;
    script = [&](TSetupState& state, const TInstallChoices&, IInstallUser& user) {
        state.Log.InstallLog = std::make_unique<TInstallLog>(appData / "install.log");
        // The user clicks Exit while the procedure lets messages through.
        PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().ExitBt.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ExitBt.Handle()));
        prompts.Answers = {mrYes};
        user.ProcessMessages();
        EXPECT_EQ(1u, prompts.Asked.size());
        EXPECT_EQ(TExitState::Confirmed, form->ExitState());
        // A shutdown may not cut the running procedure short either.
        EXPECT_EQ(FALSE, SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0));
        // Neither the window nor the log writer went under the procedure.
        EXPECT_FALSE(form->Closed());
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(state.Log.InstallLog);
        if (state.Log.InstallLog)
            state.Log.LogPath(lkFile, "C:\\still\\writing.txt");
        checked = true;
        return true;
    };
    form->ContinueBtClick();
    EXPECT_TRUE(checked);
    ExpectOnPage(TPage::Finish);
    EXPECT_EQ("Close", WindowText(form->Controls().ExitBt.Handle()));
    EXPECT_TRUE(form->Closed());
    EXPECT_FALSE(form->Installing());
    EXPECT_FALSE(form->State.Log.InstallLog);
    EXPECT_TRUE(TakeQuit());
    EXPECT_EQ("C:\\still\\writing.txt", ReadProfileValue(appData / "install.log", "Files", "1"));
}

TEST_F(SetupFormTest, ExitRefusedOrSystemCloseDuringTheInstallationChangesNothing)
{
    Open();
    ToPage(TPage::Ready);
    script = [&](TSetupState&, const TInstallChoices&, IInstallUser& user) {
        PostMessageA(form->Handle(), WM_CLOSE, 0, 0); // from the task bar: exit state 0, refused
        PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().ExitBt.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ExitBt.Handle()));
        prompts.Answers = {mrNo};
        user.ProcessMessages();
        EXPECT_EQ(1u, prompts.Asked.size()) << "only the exit button asks";
        return true;
    };
    form->ContinueBtClick();
    Application::ProcessMessages();
    ExpectOnPage(TPage::Finish);
    EXPECT_FALSE(form->Closed());
    EXPECT_EQ(TExitState::InstallationReturned, form->ExitState());
    EXPECT_FALSE(TakeQuit());
}

TEST_F(SetupFormTest, ExitConfirmedBeforeTheProcedureStartsInstallsNothing)
{
    Open();
    ToPage(TPage::Ready);
    // Queued before Continue, handled in its first pass over pending messages.
    PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().ExitBt.Handle()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().ExitBt.Handle()));
    prompts.Answers = {mrYes};
    form->ContinueBtClick();
    EXPECT_EQ(0, installs);
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(SetupFormTest, ExitConfirmedDuringAnInterruptedInstallationClosesAfterTheReport)
{
    Open();
    ToPage(TPage::Ready);
    script = [&](TSetupState&, const TInstallChoices&, IInstallUser& user) -> bool {
        PostMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().ExitBt.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ExitBt.Handle()));
        prompts.Answers = {mrYes};
        user.ProcessMessages();
        throw Exception("Unable to write to C:\\QOVA\\install.log");
    };
    bool closedAtReport = true;
    whenReported = [&] { closedAtReport = form->Closed(); };
    SendCommand(form->Controls().ContinueBt);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Unable to write to C:\\QOVA\\install.log.", reports[0]);
    EXPECT_FALSE(closedAtReport) << "the user sees the report before the window goes";
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

// ---- The default error report and the real exit question ----

TEST(ErrorReport, FullStopAppendedAfterCharactersThatSortAfterIt)
{
    EXPECT_EQ("Out of memory.", Application::ErrorReportText("Out of memory"));
    EXPECT_EQ("Done.", Application::ErrorReportText("Done."));
    EXPECT_EQ("", Application::ErrorReportText(""));
    EXPECT_EQ("for 'AppData'", Application::ErrorReportText("for 'AppData'"));
    EXPECT_EQ("(x)", Application::ErrorReportText("(x)"));
    EXPECT_EQ("a-", Application::ErrorReportText("a-"));
    EXPECT_EQ("C:/.", Application::ErrorReportText("C:/"));
    EXPECT_EQ("Espa\xF1ol.", Application::ErrorReportText("Espa\xF1ol")) << "compared as unsigned bytes";
}

// The C++ library's own failures, which setup.exe raises through its own
// helpers, are reported with the library's texts; out of memory as before.
TEST(ErrorReport, LibraryFailuresKeepTheirTexts)
{
    const auto reported = [&](const std::function<void()>& failing) {
        try {
            failing();
        } catch (...) {
            return Application::ReportText(std::current_exception());
        }
        return std::string("<no report>");
    };
    EXPECT_EQ("basic_string::substr: __pos (which is 5) > this->size() (which is 3)",
              reported([] { (void)std::string("abc").substr(5); }));
    EXPECT_EQ("vector::reserve.", reported([] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }));
    static const char* volatile none = nullptr;
    EXPECT_EQ("basic_string: construction from null is not valid.", reported([] { (void)std::string(none); }));
    EXPECT_EQ("Out of memory.", reported([] { (void)std::allocator<int>().allocate(SIZE_MAX / sizeof(int)); }));
    EXPECT_EQ("Out of memory.", reported([] { (void)std::allocator<int>().allocate(SIZE_MAX / 2); })); // bad_array_new_length
    EXPECT_EQ("Out of memory.", reported([] { throw std::bad_alloc(); }));
}

void PostKey(HWND dialog, WPARAM key)
{
    HWND focus = GetDlgItem(dialog, mrYes);
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

TEST_F(SetupFormTest, RealExitQuestionEscapeAndCloseBoxStayEnterLeaves)
{
    Open(true);
    ToPage(TPage::Shortcuts);
    {
        TWindowWatch watch("Warning", [](HWND dialog) { PostKey(dialog, VK_ESCAPE); });
        form->ExitBtClick();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_FALSE(form->Closed());
    {
        TWindowWatch watch("Warning", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
        form->ExitBtClick();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_FALSE(form->Closed());
    EXPECT_EQ(TExitState::MustConfirm, form->ExitState());
    ExpectOnPage(TPage::Shortcuts);
    EXPECT_TRUE(Enabled(form->Handle())) << "enabled again after the dialog";
    {
        TWindowWatch watch("Warning", [](HWND dialog) { PostKey(dialog, VK_RETURN); });
        form->ExitBtClick();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_TRUE(form->Closed());
    EXPECT_TRUE(TakeQuit());
}

BOOL CALLBACK CollectChild(HWND window, LPARAM found)
{
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The system's message box is as wide as its title needs; Wine's is not, and
// "data error." is far shorter than "Installation program".
TEST(ErrorReport, RealReportIsAsWideAsItsCaptionNeedsWithTextAndButtonPlacedAsUsual)
{
    RECT client{}, icon{}, text{}, ok{};
    std::string shownText;
    {
        TWindowWatch watch(Application::Title, [&](HWND dialog) {
            GetClientRect(dialog, &client);
            std::vector<HWND> children;
            EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
            for (HWND child : children) {
                const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
                if (ClassOf(child) == "Button") {
                    ok = RectInParent(child);
                    EXPECT_EQ("OK", WindowText(child));
                } else if ((style & SS_TYPEMASK) == SS_ICON) {
                    icon = RectInParent(child);
                } else {
                    text = RectInParent(child);
                    shownText = WindowText(child);
                }
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(mrOk, BN_CLICKED), 0);
        });
        Application::HandleException(std::make_exception_ptr(Exception("data error")));
        ASSERT_TRUE(watch.Seen()) << "no report titled " << Application::Title;
    }
    EXPECT_EQ("data error.", shownText);

    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const TFontHandle captionFont(CreateFontIndirectA(&metrics.lfCaptionFont));
    const int captionNeeds = TextSize(captionFont.get(), Application::Title).cx + GetSystemMetrics(SM_CXSIZE);
    EXPECT_GE(client.right, captionNeeds) << "the caption is cut off";

    // The text right of the icon and level with its middle, the button
    // centred below both.
    EXPECT_GT(text.left, icon.right);
    EXPECT_NEAR((icon.top + icon.bottom) / 2, (text.top + text.bottom) / 2, 1);
    EXPECT_GT(ok.top, std::max(icon.bottom, text.bottom));
    EXPECT_NEAR(client.right - ok.right, ok.left, 1);
}

} // namespace
