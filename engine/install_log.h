// The install log writer: install.log in the installation folder, written
// through the profile functions so that the uninstaller reads it back.
#pragma once

#include <cstdint>
#include <string>

enum TLogKind : int32_t { lkFile = 0, lkFolder = 1 };

// Writes each entry to the file at once; nothing is buffered here.
class TInstallLog {
public:
    // Does no file input or output.
    explicit TInstallLog(std::string path) : path_(std::move(path)) {}
    TInstallLog(const TInstallLog&) = delete;
    TInstallLog& operator=(const TInstallLog&) = delete;
    // Flushes the system's cached copy of the file.
    ~TInstallLog();

    // One immediate write; raises "Unable to write to <log path>" when refused.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
