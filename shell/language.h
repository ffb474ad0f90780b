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
// needed; currentLangLibrary is what PreselectLanguage found. Raises
// "Unable to write to %s" when a write is refused.
void HandOffLanguage(const std::string& programIniPath, const std::string& simulatorIniPath,
                     const std::string& currentLangLibrary, int32_t langIndex);
