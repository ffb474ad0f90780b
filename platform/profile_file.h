// Profile (INI) files through the system's profile-string functions.
#pragma once

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
