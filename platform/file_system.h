// File and folder tests and operations on 8-bit paths.
#pragma once

#include <string>

// Full path of a file name as the system resolves it.
std::string FullPathName(const std::string& path);

// A non-folder entry of that path exists.
bool FileExists(const std::string& path);

// A folder of that path exists.
bool DirectoryExists(const std::string& path);

// The entry of that path is a reparse point (a junction or symbolic link),
// whether or not what it points at exists.
bool IsReparsePoint(const std::string& path);

// Creates one folder level; true when the system created it.
bool CreateSingleFolder(const std::string& path);

// Creates a folder and every missing parent; true when it exists afterwards.
// With protect set, the topmost folder it creates gets a protected DACL as
// Program Files has one: SYSTEM and Administrators full control, Users read
// and execute, inherited by everything below it, so that no other user can
// change what an elevated installer puts there.
bool ForceDirectories(std::string path, bool protect = false);

// Deletes a file; true when the system deleted it.
bool DeleteFileAt(const std::string& path);

// Appends "\" unless the text already ends in one (so "" gives "\").
std::string IncludeTrailingBackslash(const std::string& path);
