// The state the wizard form owns for the life of the process, and the
// choices the user made on its pages. The installation procedure works on
// both; the form holds them.
#pragma once

#include "engine/install_log.h"

#include <cstdint>
#include <string>

struct TSetupState {
    std::string InstallDir;         // with trailing backslash, fixed by InstallFiles
    std::string CurrentLangLibrary; // LangLibrary found at start, empty if none
    std::string ProgramIniPath;
    std::string SimulatorIniPath;
    TLogState Log;                  // the install log's writer and counters
};

// What the user chose on the wizard's pages, each page's check giving its
// part; the installation takes them from here, never from a control.
struct TInstallChoices {
    std::string Folder;     // the installation folder, a full path without trailing backslash, accepted
    bool DeskIcon = true;   // DeskIconCheck
    bool StartIcon = true;  // StartIconCheck
    int32_t LangIndex = 0;  // LangCombo: 0 English, 1 Espanol
};

// What the wizard offers when it first shows.
struct TFirstChoices {
    std::string FolderText; // the default installation folder
    int32_t LangIndex = 0;  // the language the settings name, else the one shown
};

// The window's first showing: fixes the two settings files' paths and the
// language library the main application's names, sets the log's counters to
// 1, and gives the first choices. shownLanguage is the list's selection.
TFirstChoices StartSetup(TSetupState& state, int32_t shownLanguage);
