// Profile (INI) files through the system's profile-string functions.
#pragma once

#include "platform/unique_handle.h"

#include <string>
#include <vector>

// One immediate write; raises "Unable to write to <path>" when refused.
void WriteProfileValue(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value);

// The value, or defaultValue when the file, section or key is absent; at
// most bufferSize - 1 characters are taken.
std::string ReadProfileValue(const std::string& path, const std::string& section, const std::string& key,
                             const std::string& defaultValue = "", unsigned bufferSize = 2048);

// Key names of a section (read into a buffer of bufferSize bytes); empty
// when the file or section is absent.
std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section,
                                         unsigned bufferSize = 16384);

// Flushes the system's cached copy of the file (result not examined).
void FlushProfile(const std::string& path);

// A profile file written by one writer, each value at once. A file that it
// makes itself it writes directly, in the bytes the system's profile
// functions would give it (sections and keys in first-write order, no blank
// lines), with one write of the changed end of the file instead of the
// system's reading and rewriting of the whole file for every value. A file
// that is there already when the first value comes, and any write that would
// change what is written rather than add to it, go to the system's
// functions, which merge as they do.
class TProfileWriter {
public:
    // Does no file input or output.
    explicit TProfileWriter(std::string path) : path_(std::move(path)) {}
    TProfileWriter(const TProfileWriter&) = delete;
    TProfileWriter& operator=(const TProfileWriter&) = delete;
    // Closes the file and flushes the system's cached copy of it.
    ~TProfileWriter();

    // One immediate write; raises "Unable to write to <path>" when refused.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    const std::string& Path() const { return path_; }

private:
    bool WriteDirectly(const std::string& section, const std::string& key, const std::string& value);

    std::string path_;
    bool opened_ = false;
    TFileHandle file_; // while written directly
    std::string text_; // what it holds then
};
