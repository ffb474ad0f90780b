// File and folder tests and operations on 8-bit paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Full path of a file name as the system resolves it.
std::string FullPathName(const std::string& path);

// The folders from the root down to the full path itself, without trailing
// backslashes but the root's: "C:\", "C:\Shows", "C:\Shows\QOVA".
std::vector<std::string> FoldersOnTheWay(const std::string& fullPath);

// Whether the file or folder open through handle is the one at path, not
// one reached through a link; path must exist.
bool IsAtPath(void* handle, const std::string& path);

// The attributes of the entry open through handle, and whether it is a link
// that names something elsewhere (a junction, mount point or symbolic link;
// not a cloud file's placeholder, which is the entry itself). 0, or the
// system's error code.
unsigned long EntryKindOf(void* handle, unsigned long& attributes, bool& isLink);

// A non-folder entry of that path exists.
bool FileExists(const std::string& path);

// A folder of that path exists.
bool DirectoryExists(const std::string& path);

// The entry of that path is a reparse point (a junction or symbolic link),
// whether or not what it points at exists.
bool IsReparsePoint(const std::string& path);

// A file with one name, not a folder or a link of any kind: what the
// installer may merge into.
bool IsPlainFile(const std::string& path);

struct TFolderEntry {
    std::string Name;
    bool IsFolder = false;
    bool IsLink = false; // a junction or symbolic link, never followed
};

// What the folder open through handle (with list access) holds, "." and
// ".." left out, in name order: the folder itself is asked, not whatever its
// path names now. 0, or the system's error code when it cannot be listed.
unsigned long ListFolder(void* folder, std::vector<TFolderEntry>& entries);

// Removes an empty folder (a link there: the link itself); 0, or the
// system's error code when it refuses, as for a folder that is not empty.
unsigned long RemoveEmptyFolder(const std::string& path);

// Raises the create-file message for path when what is there could not be
// replaced now: a junction or symbolic link (never followed), a read-only
// file, a folder, or a file another program has open. A missing file passes.
void CheckReplaceable(const std::string& path);

// Size of the file at path; -1 when there is none.
int64_t FileSizeAt(const std::string& path);

struct TVolumeSpace {
    uint64_t FreeBytes = 0;   // what this user may still fill
    uint32_t ClusterSize = 0; // every file takes whole clusters
};

// Room on the volume that holds path, or would hold it: the nearest folder
// of the path that exists is asked. False when the system cannot say.
bool QueryVolumeSpace(const std::string& path, TVolumeSpace& space);

// Raises the create-file message for path: its full path and the system's
// text for the error code.
[[noreturn]] void RaiseCreateError(const std::string& path, unsigned long errorCode);
// The same with the system's text for a full disk.
[[noreturn]] void RaiseDiskFull(const std::string& path);

// Creates an empty file, never opening or following what is there already;
// true when the system created it.
bool CreateNewFile(const std::string& path);

// Deletes a file; true when the system deleted it.
bool DeleteFileAt(const std::string& path);

// Deletes the file at path (a link there: the link itself) only when no one
// else has it open, so that its name is gone at once, not when the last
// other handle closes. A missing file passes. Raises the create-file message
// for path, with the file as it was, when it is open elsewhere or is a folder.
void DeleteUnsharedFile(const std::string& path);

// Marks the file or folder open through handle (with delete access) to go
// when its last handle closes; false when the system refuses.
bool DisposeOpenFile(void* handle);

// Appends "\" unless the text already ends in one (so "" gives "\").
std::string IncludeTrailingBackslash(const std::string& path);

// Drops trailing backslashes, but a drive root's ("C:\" stays).
std::string ExcludeTrailingBackslash(std::string path);
