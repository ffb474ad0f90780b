// Telling the shell that the contents of a folder changed.
#pragma once

#include <string>

// SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, folder): Explorer windows and the
// Start menu showing that folder refresh.
void NotifyShellFolderCreated(const std::string& folder);
