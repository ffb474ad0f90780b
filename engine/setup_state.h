// The state the wizard form owns for the life of the process, and the
// choices the user made on its pages. The engine and the shell code work
// on these; the form holds them.
#pragma once

#include "engine/install_log.h"

#include <cstdint>
#include <memory>
#include <string>

struct TSetupState {
    int32_t PageIndex = 0;
    std::string InstallDir;         // with trailing backslash, fixed by InstallFiles
    std::string CurrentLangLibrary; // LangLibrary found at start, empty if none
    std::string ProgramIniPath;
    std::string SimulatorIniPath;
    std::unique_ptr<TInstallLog> InstallLog; // absent until the installation opens it
    int32_t FileCounter = 1;
    int32_t FolderCounter = 1;
    bool Installing = false;        // InstallFiles is running
    bool LogReleasePending = false; // the window closed while it ran

    // Releases the log writer; while InstallFiles runs (a close request can
    // be handled in its message passes) the release waits until it returns.
    void ReleaseInstallLog();

    // Appends a file (kind 0) or folder (kind 1) entry to the log; other
    // kinds are ignored. The counter moves only after a successful write.
    void LogPath(int32_t kind, const std::string& path);
};

// What the user chose on the wizard's pages.
struct TInstallChoices {
    std::string FolderText;  // FolderEdit
    bool DeskIcon = true;    // DeskIconCheck
    bool StartIcon = true;   // StartIconCheck
    int32_t LangIndex = 0;   // LangCombo: 0 English, 1 Espanol
};
