#include "platform/replacement_file.h"

#include "platform/errors.h"
#include "platform/file_system.h"

#include <windows.h>

namespace {

// No product file starts with "~" or ends in ".tmp", so the name never
// takes a product file's place; a name that exists is skipped.
std::string TemporaryName(const std::string& folder, unsigned attempt)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const unsigned mixed = (static_cast<unsigned>(now.QuadPart) ^ GetCurrentProcessId() * 2654435761u) +
                           attempt * 40503u;
    char name[] = "~00000000.tmp";
    for (int digit = 8; digit >= 1; --digit)
        name[digit] = "0123456789abcdef"[(mixed >> (32 - 4 * digit)) & 15];
    return folder + name;
}

std::string FolderOf(const std::string& path)
{
    const auto end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// Creates a new file under a free temporary name in the target's folder,
// once the target is known to be replaceable: a locked target is reported
// as such before anything is inflated, not as a refused rename after.
TFileHandle CreateTemporary(const std::string& target, std::string& temporary)
{
    CheckReplaceable(target);
    const std::string folder = FolderOf(target);
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < 64 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
         ++attempt) {
        temporary = TemporaryName(folder, attempt);
        // CREATE_NEW never opens what is there, and with the reparse flag a
        // link planted under the name is not followed either.
        TFileHandle handle(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (handle)
            return handle;
        error = GetLastError();
    }
    RaiseCreateError(target, error);
}

} // namespace

TReplacementFile::TReplacementFile(std::string targetPath)
    : target_(std::move(targetPath)), stream_(CreateTemporary(target_, temporary_))
{
}

TReplacementFile::~TReplacementFile()
{
    if (!committed_) {
        stream_.Close();
        DeleteFileA(temporary_.c_str());
    }
}

void TReplacementFile::Commit()
{
    // The rename may reach the disk before the data does: without the flush
    // a power cut soon after could leave the target's name on bytes never
    // written, with the old file gone.
    if (!stream_.Flush())
        throw EWriteError();
    stream_.Close();
    // A rename within one folder: one step, never a copy. The new file keeps
    // the permissions it was created with, those the folder gives.
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING))
        RaiseCreateError(target_, GetLastError());
    committed_ = true;
}
