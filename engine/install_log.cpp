#include "engine/install_log.h"

void TInstallLog::Write(const std::string& section, const std::string& key, const std::string& value)
{
    writer_.Write(section, key, value);
}

void TLogState::LogPath(int32_t kind, const std::string& path)
{
    if (kind == lkFile) {
        InstallLog->Write("Files", std::to_string(FileCounter), path);
        ++FileCounter;
    } else if (kind == lkFolder) {
        InstallLog->Write("Folders", std::to_string(FolderCounter), path);
        ++FolderCounter;
    }
}
