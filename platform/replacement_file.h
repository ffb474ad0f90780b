// A file written under a temporary name beside its target and put in the
// target's place in one step, so that the target is either as it was or
// complete. Portable: no Windows headers.
#pragma once

#include "platform/file_stream.h"

#include <string>

// Whether a name is one TReplacementFile gives its temporary files: "~",
// 8 hexadecimal digits, ".tmp".
bool IsTemporaryFileName(const std::string& name);

// A new, empty file of a free temporary name in folder, open for reading,
// writing and deletion, not shared, and at its path; empty, with error set,
// when none can be made.
TFileHandle CreateTemporaryFile(const std::string& folder, std::string& path, unsigned long& error);

// Removes what a run cut short left in the folder open through handle, at
// path: plain files of temporary names. Anything else of such a name (a
// folder, a link, a file with a second name, or one that is open) is left
// alone. The folder and every folder on its way must be held, so that the
// path still leads to the folder the handle lists.
void RemoveLeftoverTemporaries(void* folderHandle, const std::string& folder);

class TReplacementFile {
public:
    // Creates the temporary file in the target's folder. Raises the
    // create-file message naming the target when the target could not be
    // replaced now (CheckReplaceable) or the file cannot be created.
    explicit TReplacementFile(std::string targetPath);
    // Removes the temporary file unless Commit succeeded.
    ~TReplacementFile();
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    // Where the new content goes.
    TStream& Stream() { return stream_; }

    // Forces the content onto the disk ("Stream write error" when that
    // fails); nothing is written after. For a caller that makes several
    // files at once, so that each waits for the disk on its own thread.
    void Flush();

    // Flushes unless Flush did, closes the file and renames it over the
    // target. Raises the create-file message naming the target when the
    // rename is refused; the target is then unchanged.
    void Commit();

private:
    std::string target_;
    std::string temporary_;
    TFileStream stream_;
    bool flushed_ = false;
    bool committed_ = false;
};
