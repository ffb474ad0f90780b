// The install log: install.log in the installation folder, written through
// the profile functions so that the uninstaller reads it back, and the
// state the form keeps of it.
#pragma once

#include "platform/profile_file.h"

#include <cstdint>
#include <memory>
#include <string>

enum TLogKind : int32_t { lkFile = 0, lkFolder = 1 };

// The writer. Each entry goes to the file at once; nothing is buffered here.
class TInstallLog {
public:
    // Does no file input or output.
    explicit TInstallLog(std::string path) : writer_(std::move(path)) {}
    TInstallLog(const TInstallLog&) = delete;
    TInstallLog& operator=(const TInstallLog&) = delete;
    // Closes the file; every entry is on it already.
    ~TInstallLog() = default;

    // One immediate write; raises "Unable to write to <log path>" when refused.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    const std::string& Path() const { return writer_.Path(); }

private:
    TProfileWriter writer_;
};

// The log as the form holds it: the writer, absent until the installation
// opens the log, and the next key of each of its two lists.
struct TLogState {
    std::unique_ptr<TInstallLog> InstallLog;
    int32_t FileCounter = 1;
    int32_t FolderCounter = 1;

    // Appends a file (kind 0) or folder (kind 1) entry; other kinds are
    // ignored. The counter moves only after a successful write.
    void LogPath(int32_t kind, const std::string& path);
};
