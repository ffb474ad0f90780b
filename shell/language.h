// The applications' language setting: read at start, written when the user
// chose another language.
#pragma once

#include <cstdint>
#include <string>

// Reads LangLibrary of [QOVA] in the main application's settings file into
// currentLangLibrary (empty when absent); returns the language index to
// select (selectedIndex when the value names no known library).
int32_t PreselectLanguage(const std::string& programIniPath, std::string& currentLangLibrary,
                          int32_t selectedIndex);

// Writes the chosen language's libraries into both settings files where
// needed; currentLangLibrary is what PreselectLanguage found. The files are
// the user's, written never through a link, by way of copies in
// scratchFolder, a folder only administrators may write (WriteProfileValue).
// Raises "Unable to write to %s" when a write is refused.
void HandOffLanguage(const std::string& programIniPath, const std::string& simulatorIniPath,
                     const std::string& currentLangLibrary, int32_t langIndex, const std::string& scratchFolder);
