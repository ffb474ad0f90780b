// Where the installation may go: the destination folder rule that the
// wizard applies before it moves on from the folder page.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The text without leading and trailing blanks (spaces and control characters).
std::string TrimBlanks(const std::string& text);

// The folder text as the installation takes it: blanks around it dropped
// and forward slashes turned into backslashes, which Windows takes alike.
std::string DestinationFolder(const std::string& text);

// A drive letter, a colon and a backslash, or a UNC path \\server\share;
// never the \\?\ and \\.\ forms, which skip the system's path rules.
// Anything else would install relative to wherever the installer started.
bool IsFullPath(const std::string& path);

// The folder the installation goes into, from the text of the folder box
// (as DestinationFolder makes it): its full path, "." and ".." resolved,
// without trailing backslash; empty when it is not accepted: not a full
// path, too long for its longest target to fit MAX_PATH, or with an existing
// part of it a junction or symbolic link, through which writes made with
// administrator rights would land elsewhere.
std::string AcceptedDestination(const std::string& text);

// Whether a folder on the way to the full path, the root excepted, is a
// junction or symbolic link; the walk stops at the first that is missing.
bool PassesThroughReparsePoint(const std::string& fullPath);

// The longest path, relative to the installation folder, of anything the
// installation writes there.
std::size_t LongestTargetName();
