// The state the wizard form owns for the life of the process, and the
// choices the user made on its pages. The installation procedure works on
// both; the form holds them.
#pragma once

#include "engine/install_log.h"

#include <cstdint>
#include <string>

struct TSetupState {
    int32_t PageIndex = 0;
    std::string InstallDir;         // with trailing backslash, fixed by InstallFiles
    std::string CurrentLangLibrary; // LangLibrary found at start, empty if none
    std::string ProgramIniPath;
    std::string SimulatorIniPath;
    TLogState Log;                  // the install log's writer and counters
};

// What the user chose on the wizard's pages.
struct TInstallChoices {
    std::string FolderText;  // FolderEdit
    bool DeskIcon = true;    // DeskIconCheck
    bool StartIcon = true;   // StartIconCheck
    int32_t LangIndex = 0;   // LangCombo: 0 English, 1 Espanol
};
