// File and folder tests and operations on 8-bit paths.
#pragma once

#include <string>

// Full path of a file name as the system resolves it.
std::string FullPathName(const std::string& path);

// A non-folder entry of that path exists.
bool FileExists(const std::string& path);

// A folder of that path exists.
bool DirectoryExists(const std::string& path);

// Creates one folder level; true when the system created it.
bool CreateSingleFolder(const std::string& path);

// Creates a folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string path);

// Deletes a file; true when the system deleted it.
bool DeleteFileAt(const std::string& path);

// Appends "\" unless the text already ends in one (so "" gives "\").
std::string IncludeTrailingBackslash(const std::string& path);
