// The names the wizard's pages and controls go by, also for what drives
// the window from outside (the end-to-end tests, the bench): a page is its
// tab's index, a control its identifier (GetDlgCtrlID), never an order of
// creation or of classes. No Windows headers.
#pragma once

// The pages, in the order Continue goes through them.
enum class TPage { Welcome, Folder, Shortcuts, Language, Ready, Finish, Count };
inline constexpr int PageCount = static_cast<int>(TPage::Count);

// Every control's identifier; a new control takes a new one.
enum class TControlId : int {
    First = 100,
    PageControl = First,
    PageFrame,
    BottomPanel,
    SimulatorImage,
    BackBt,
    ProductNameLabel,
    ExitBt,
    ContinueBt,
    IconImage,
    BakImage,
    CopyLabel,
    Link,
    HeadLabel,
    FullNameLabel,
    VersionLabel,
    CommentLabel,
    DeveloperLabel,
    FolderEdit,
    FolderPrompt,
    SelectFolderBt,
    SpaceLabel,
    DeskIconCheck,
    StartIconCheck,
    PreconfigurationLabel,
    LanguagePrompt,
    LangCombo,
    StatusLabel,
    FinalLabel,
    ThanksLabel,
};
