// Moving between the wizard's pages: Continue, Back, the folder rule, refused
// tab clicks, the graphic buttons, the folder browser and the web link.
#include "form_fixture.h"

#include "setup/child_window.h"
#include "setup/control_text.h"
#include "setup/dpi.h"

#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

TEST_F(SetupFormTest, ContinueAndBackWalkThePagesAndSetBack)
{
    Open();
    form->BackBtClick(); // nothing before the welcome page
    ExpectOnPage(TPage::Welcome);
    EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));

    form->ContinueBtClick();
    ExpectOnPage(TPage::Folder);
    EXPECT_TRUE(Enabled(form->Controls().BackBt.Handle()));
    form->BackBtClick();
    ExpectOnPage(TPage::Welcome);
    EXPECT_FALSE(Enabled(form->Controls().BackBt.Handle()));

    for (TPage page : PagesFrom(TPage::Folder, TPage::Ready)) {
        form->ContinueBtClick();
        ExpectOnPage(page);
        EXPECT_TRUE(Enabled(form->Controls().BackBt.Handle())) << page;
        EXPECT_TRUE(Enabled(form->Controls().ContinueBt.Handle())) << page;
    }
    for (TPage page : {TPage::Language, TPage::Shortcuts, TPage::Folder}) {
        form->BackBtClick();
        ExpectOnPage(page);
        EXPECT_TRUE(Enabled(form->Controls().BackBt.Handle())) << page;
    }
    EXPECT_TRUE(prompts.Asked.empty());
    EXPECT_EQ(0, installs);
    EXPECT_EQ(TExitState::MustConfirm, form->ExitState());
}

TEST_F(SetupFormTest, GoingBackAndForthKeepsTheChoices)
{
    Open();
    ToPage(TPage::Folder);
    SetWindowTextA(form->Controls().FolderEdit, "E:\\Shows\\QOVA");
    ToPage(TPage::Language);
    SendMessageA(form->Controls().LangCombo, CB_SETCURSEL, 1, 0);
    form->BackBtClick();
    SendMessageA(form->Controls().DeskIconCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    while (form->Page() > TPage::Welcome)
        form->BackBtClick();
    ToPage(TPage::Ready);
    EXPECT_EQ("E:\\Shows\\QOVA", WindowText(form->Controls().FolderEdit));
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(form->Controls().DeskIconCheck, BM_GETCHECK, 0, 0));
    EXPECT_EQ(1, SendMessageA(form->Controls().LangCombo, CB_GETCURSEL, 0, 0));

    form->ContinueBtClick();
    EXPECT_EQ(1, installs);
    EXPECT_EQ("E:\\Shows\\QOVA", installedWith.Folder);
    EXPECT_FALSE(installedWith.DeskIcon);
    EXPECT_TRUE(installedWith.StartIcon);
    EXPECT_EQ(1, installedWith.LangIndex);
}

TEST_F(SetupFormTest, FolderThatIsNotAFullPathIsRefusedWithAWarning)
{
    Open();
    ToPage(TPage::Folder);
    // The longest target, Dispositivos\20000.qdev, must still fit MAX_PATH.
    const std::string tooLong = "C:\\" + std::string(233, 'q');
    std::vector<std::string> refused{"", " ", "   \t ", "Program Files\\QOVA", "\\QOVA", "C:QOVA", "C:",
                                     "\\\\server", "\\\\server\\", "1:\\QOVA", "\\\\?\\C:\\QOVA",
                                     "\\\\.\\C:\\QOVA", "//?/C:/QOVA", tooLong};
    if (const std::string links = Env("QOVA_TEST_LINKS"); !links.empty())
        refused.push_back(links + "\\junction\\QOVA");
    else
        ADD_FAILURE() << "no junction to test with";
    for (const std::string& text : refused) {
        SetWindowTextA(form->Controls().FolderEdit, text.c_str());
        prompts.Asked.clear();
        prompts.Answers = {mrOk};
        form->ContinueBtClick();
        ASSERT_EQ(1u, prompts.Asked.size()) << "[" << text << "]";
        EXPECT_EQ(FolderWarning, prompts.Asked[0].Text);
        EXPECT_EQ(TMsgDlgType::Warning, prompts.Asked[0].Type);
        EXPECT_EQ(static_cast<unsigned>(mbOK), prompts.Asked[0].Buttons);
        ExpectOnPage(TPage::Folder);
        EXPECT_EQ(text, WindowText(form->Controls().FolderEdit));
        EXPECT_TRUE(Enabled(form->Controls().BackBt.Handle()));
    }
}

TEST_F(SetupFormTest, FolderOthersCanChangeIsRefusedWithAWarningThatNamesIt)
{
    Open();
    ToPage(TPage::Folder);
    TTempDir shared;
    MakeWritableByEveryone(shared.Path());
    // Empty, it is made afresh as the installer's; holding anything, it is
    // refused, and so is a new folder in it, which anyone could move away.
    SetWindowTextA(form->Controls().FolderEdit, shared.Path().c_str());
    form->ContinueBtClick();
    ExpectOnPage(TPage::Shortcuts);
    EXPECT_TRUE(prompts.Asked.empty());
    form->BackBtClick();
    WriteBytes(shared / "notes.txt", "everyone's");
    const std::string folder = shared.Path().substr(0, shared.Path().size() - 1);
    for (const std::string& text : {folder, shared / "QOVA"}) {
        SetWindowTextA(form->Controls().FolderEdit, text.c_str());
        prompts.Asked.clear();
        prompts.Answers = {mrOk};
        form->ContinueBtClick();
        ExpectOnPage(TPage::Folder);
        ASSERT_EQ(1u, prompts.Asked.size()) << text;
        EXPECT_EQ("Users other than administrators can change \"" + folder +
                      "\", so the programs installed there would not be safe. Please choose another folder.",
                  prompts.Asked[0].Text);
        EXPECT_EQ(TMsgDlgType::Warning, prompts.Asked[0].Type);
    }
    // Only the administrators', but holding what no installation left:
    // refused too, naming what it holds, and nothing is written.
    TTempDir found;
    WriteBytes(found / "install.log", "[Application]\r\n");
    WriteBytes(found / "version.dll", "someone's library");
    const std::string foundFolder = found.Path().substr(0, found.Path().size() - 1);
    SetWindowTextA(form->Controls().FolderEdit, foundFolder.c_str());
    prompts.Asked.clear();
    prompts.Answers = {mrOk};
    form->ContinueBtClick();
    ExpectOnPage(TPage::Folder);
    ASSERT_EQ(1u, prompts.Asked.size());
    EXPECT_EQ("\"" + foundFolder + "\" already holds \"version.dll\", which is not from an installation of Qovarium. "
              "Please choose an empty or new folder, or the folder of an earlier installation.",
              prompts.Asked[0].Text);
    EXPECT_EQ((std::vector<std::string>{"install.log", "version.dll"}), FolderEntries(found.Path()));
    EXPECT_EQ(0, installs);
}

// Slashes are the backslashes Windows also takes; they become backslashes
// before anything else sees the path.
TEST_F(SetupFormTest, FullPathMovesOnAndIsInstalledWithoutItsBlanksAndSlashes)
{
    Open();
    ToPage(TPage::Folder);
    const std::string longest = "C:\\" + std::string(232, 'q');
    for (const std::string& text : {std::string("\\\\server\\share\\QOVA"), std::string("  d:\\QOVA "), longest,
                                    Env("QOVA_TEST_LINKS") + "\\junction\\..\\target\\QOVA",
                                    std::string("C:/QOVA"), std::string(" C:/Program Files\\QOVA\t")}) {
        SetWindowTextA(form->Controls().FolderEdit, text.c_str());
        form->ContinueBtClick();
        ExpectOnPage(TPage::Shortcuts);
        EXPECT_EQ(text, WindowText(form->Controls().FolderEdit)) << "the field itself is left as typed";
        form->BackBtClick();
    }
    EXPECT_TRUE(prompts.Asked.empty());
    ToPage(TPage::Ready);
    form->ContinueBtClick();
    EXPECT_EQ("C:\\Program Files\\QOVA", installedWith.Folder);
}

TEST_F(SetupFormTest, TabClicksAreRefusedOnEveryPage)
{
    Open();
    bool allow = true;
    form->PageControlChanging(allow);
    EXPECT_FALSE(allow);
    for (TPage page : BeforeFinish) {
        ToPage(page);
        for (int tab = 0; tab < PageCount; ++tab) {
            const RECT rect = TabRect(form->Controls().PageControl, tab);
            Click(form->Controls().PageControl, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            ExpectOnPage(page);
        }
    }
    form->ContinueBtClick(); // installs: Finished
    ExpectOnPage(TPage::Finish);
    const RECT rect = TabRect(form->Controls().PageControl, 2);
    Click(form->Controls().PageControl, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ExpectOnPage(TPage::Finish);
}

TEST_F(SetupFormTest, GraphicButtonsActOnClicksButKeepNoFocus)
{
    Open();
    ToPage(TPage::Folder);
    SetFocus(form->Controls().FolderEdit);
    int browsed = 0;
    browse = [&](const std::string&, std::string&) {
        ++browsed;
        return false;
    };
    ClickCentre(form->Controls().SelectFolderBt.Handle());
    EXPECT_EQ(1, browsed);
    EXPECT_EQ(form->Controls().FolderEdit, GetFocus());
    ClickCentre(form->Controls().ContinueBt.Handle());
    ExpectOnPage(TPage::Shortcuts);
    // Leaving the page moved the focus onto the new page's first control.
    EXPECT_EQ(form->Controls().DeskIconCheck, GetFocus());
    SetFocus(form->Controls().BackBt.Handle());
    EXPECT_EQ(form->Controls().DeskIconCheck, GetFocus());
    // A quick second click is one more click.
    SendMessageA(form->Controls().ContinueBt.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(form->Controls().ContinueBt.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageA(form->Controls().ContinueBt.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(form->Controls().ContinueBt.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ExpectOnPage(TPage::Ready);
}

TEST_F(SetupFormTest, BrowserResultGetsTheShortNameAppended)
{
    Open();
    ToPage(TPage::Folder);
    std::vector<std::string> titles;
    std::deque<std::pair<bool, std::string>> picks{{true, "C:\\"}, {true, "D:\\Shows\\QOVA"}, {false, "X:\\"}};
    browse = [&](const std::string& title, std::string& path) {
        titles.push_back(title);
        const auto pick = picks.front();
        picks.pop_front();
        if (pick.first)
            path = pick.second;
        return pick.first;
    };
    form->SelectFolderBtClick();
    EXPECT_EQ("C:\\QOVA", WindowText(form->Controls().FolderEdit));
    form->SelectFolderBtClick();
    EXPECT_EQ("D:\\Shows\\QOVA\\QOVA", WindowText(form->Controls().FolderEdit));
    SetWindowTextA(form->Controls().FolderEdit, "typed by hand");
    form->SelectFolderBtClick(); // cancelled
    EXPECT_EQ("typed by hand", WindowText(form->Controls().FolderEdit));
    EXPECT_EQ((std::vector<std::string>{3, "Select destination folder"}), titles);
}

TEST_F(SetupFormTest, LinkOpensTheMakersPageAndTurnsPurple)
{
    Open();
    auto linkColour = [&] {
        const TMemoryDC dc(CreateCompatibleDC(nullptr));
        SendMessageA(form->Controls().BottomPanel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(form->Controls().Link));
        return GetTextColor(dc.get());
    };
    EXPECT_EQ(RGB(128, 128, 255), linkColour());
    ClickCentre(form->Controls().Link); // reaches the form through the panel
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(form->Handle(), opened[0].first);
    EXPECT_EQ("https://www.norvane-brelkon.com/", opened[0].second);
    EXPECT_EQ(RGB(128, 0, 128), linkColour());
    form->LinkClick();
    EXPECT_EQ(2u, opened.size());
    EXPECT_EQ(RGB(128, 0, 128), linkColour());
    // A quick second click comes as a double click: the page opens again.
    SendMessageA(form->Controls().Link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(form->Controls().Link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    SendMessageA(form->Controls().Link, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(form->Controls().Link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(4u, opened.size());
}

} // namespace
