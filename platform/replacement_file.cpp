#include "platform/replacement_file.h"

#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/text_encoding.h"

#include <windows.h>

#include <vector>

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

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
        name[digit] = HexDigits[(mixed >> (32 - 4 * digit)) & 15];
    return folder + name;
}

} // namespace

bool IsTemporaryFileName(const std::string& name)
{
    if (name.size() != 13 || name[0] != '~' || name.compare(9, 4, ".tmp") != 0)
        return false;
    for (size_t i = 1; i < 9; ++i)
        if (!std::char_traits<char>::find(HexDigits, 16, name[i]))
            return false;
    return true;
}

TFileHandle CreateTemporaryFile(const std::string& folder, std::string& path, unsigned long& error)
{
    error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < 64 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
         ++attempt) {
        path = TemporaryName(folder.empty() ? folder : IncludeTrailingBackslash(folder), attempt);
        // CREATE_NEW never opens what is there, and with the reparse flag a
        // link planted under the name is not followed either. Delete access:
        // the file is renamed, or removed, through this handle.
        TFileHandle handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (handle) {
            // A folder on the way turned into a link since it was checked.
            if (IsAtPath(handle.get(), path))
                return handle;
            DisposeOpenFile(handle.get());
            error = ERROR_CANT_RESOLVE_FILENAME;
            return {};
        }
        error = GetLastError();
    }
    return {};
}

namespace {

std::string FolderOf(const std::string& path)
{
    const auto end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// Renames the file open through handle; false, with the last error set,
// when the system refuses.
bool RenameOpenFile(void* handle, const std::string& newPath)
{
    const std::wstring name = AnsiToWide(FullPathName(newPath));
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    name.copy(rename->FileName, name.size());
    return SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

// Creates a new file under a free temporary name in the target's folder,
// once the target is known to be replaceable: a locked target is reported
// as such before anything is inflated, not as a refused rename after.
TFileHandle CreateTemporary(const std::string& target, std::string& temporary)
{
    CheckReplaceable(target);
    unsigned long error = ERROR_SUCCESS;
    TFileHandle handle = CreateTemporaryFile(FolderOf(target), temporary, error);
    if (!handle)
        RaiseCreateError(target, error);
    return handle;
}

} // namespace

void RemoveLeftoverTemporaries(void* folderHandle, const std::string& folder)
{
    const std::string prefix = IncludeTrailingBackslash(folder);
    std::vector<TFolderEntry> entries;
    ListFolder(folderHandle, entries); // one that cannot be listed keeps its files
    for (const TFolderEntry& entry : entries) {
        if (!IsTemporaryFileName(entry.Name) || entry.IsFolder || entry.IsLink)
            continue;
        // No sharing: a file someone has open stays.
        const TFileHandle file(CreateFileA((prefix + entry.Name).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION information;
        if (file && GetFileInformationByHandle(file.get(), &information) && information.nNumberOfLinks == 1 &&
            !(information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            DisposeOpenFile(file.get());
    }
}

TReplacementFile::TReplacementFile(std::string targetPath)
    : target_(std::move(targetPath)), stream_(CreateTemporary(target_, temporary_))
{
}

TReplacementFile::~TReplacementFile()
{
    if (!committed_) {
        DisposeOpenFile(stream_.Handle());
        stream_.Close();
    }
}

void TReplacementFile::Flush()
{
    if (!stream_.Flush())
        throw EWriteError();
    flushed_ = true;
}

void TReplacementFile::Commit()
{
    // The rename may reach the disk before the data does: without the flush
    // a power cut soon after could leave the target's name on bytes never
    // written, with the old file gone.
    if (!flushed_)
        Flush();
    // A rename within one folder: one step, never a copy. Through the open
    // handle, so that what is renamed is the file written, and the folder,
    // which holds it until then, cannot have become a link meanwhile. The
    // new file keeps the permissions it was created with, the folder's.
    if (!RenameOpenFile(stream_.Handle(), target_))
        RaiseCreateError(target_, GetLastError());
    committed_ = true;
    stream_.Close();
}
