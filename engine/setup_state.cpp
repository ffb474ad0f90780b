#include "engine/setup_state.h"

void TSetupState::LogPath(int32_t kind, const std::string& path)
{
    if (kind == lkFile) {
        InstallLog->Write("Files", std::to_string(FileCounter), path);
        ++FileCounter;
    } else if (kind == lkFolder) {
        InstallLog->Write("Folders", std::to_string(FolderCounter), path);
        ++FolderCounter;
    }
}

void TSetupState::ReleaseInstallLog()
{
    if (Installing) {
        LogReleasePending = true;
        return;
    }
    LogReleasePending = false;
    InstallLog.reset();
}
