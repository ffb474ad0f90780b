// Profile (INI) files through the system's profile-string functions.
#pragma once

#include "platform/unique_handle.h"

#include <string>
#include <vector>

// One immediate write into a file that others may change (a user's own),
// never through a link: the folder's way is held, the profile functions
// (which follow every link) work on a copy in scratchFolder, where no one
// else can write, and their bytes replace the file in one step
// (TReplacementFile). Raises
// "Unable to write to <path>" when any of it is refused; the file is then
// as it was.
void WriteProfileValue(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value, const std::string& scratchFolder);

// The value, or defaultValue when the file, section or key is absent; at
// most bufferSize - 1 characters are taken.
std::string ReadProfileValue(const std::string& path, const std::string& section, const std::string& key,
                             const std::string& defaultValue = "", unsigned bufferSize = 2048);

// Key names of a section (read into a buffer of bufferSize bytes); empty
// when the file or section is absent.
std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section,
                                         unsigned bufferSize = 16384);

// A profile file written by one writer, each value at once. A new file it
// creates itself (never opening what is there, nor following a link) and
// writes through its own handle, in the bytes the system's profile
// functions would give it: sections and keys in first-write order, names
// found without regard to case and trimmed, a value's leading blanks
// dropped, a key written again given its new value; each write is one write
// of the changed end of the file. Anything already at the path when the
// first value comes is refused, never merged into or followed.
class TProfileWriter {
public:
    // Does no file input or output.
    explicit TProfileWriter(std::string path) : path_(std::move(path)) {}
    TProfileWriter(const TProfileWriter&) = delete;
    TProfileWriter& operator=(const TProfileWriter&) = delete;
    ~TProfileWriter() = default;

    // One immediate write; raises "Unable to write to <path>" when refused,
    // and the create-file message for the file when a file or a link is in
    // its place before the first.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    const std::string& Path() const { return path_; }

private:
    struct TKey {
        std::string Name, Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TKey> Keys;
    };

    void Open();
    std::string Text() const;

    std::string path_;
    bool opened_ = false;
    TFileHandle file_;
    std::vector<TSection> sections_;
    std::string text_; // what the file holds
};
