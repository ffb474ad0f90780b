#include "shell/language.h"

#include "engine/product_manifest.h"
#include "platform/profile_file.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

const char* const ProgramSection = "QOVA";
const char* const SimulatorSection = "QOVASim";
const char* const LangKey = "LangLibrary";

struct TLanguageLibraries {
    const char* Program;
    const char* Simulator;
};

// Indexed by the language list's entries: 0 English, 1 Espanol.
constexpr std::array<TLanguageLibraries, 2> Languages{{
    {ProductManifest::ProgramEnglish.FileName, ProductManifest::SimulatorEnglish.FileName},
    {ProductManifest::ProgramSpanish.FileName, ProductManifest::SimulatorSpanish.FileName},
}};

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool HasLangKey(const std::string& iniPath)
{
    const auto keys = ReadProfileKeys(iniPath, ProgramSection);
    return std::any_of(keys.begin(), keys.end(), [](const std::string& k) { return SameTextIgnoringCase(k, LangKey); });
}

} // namespace

int32_t PreselectLanguage(const std::string& programIniPath, std::string& currentLangLibrary,
                          int32_t selectedIndex)
{
    currentLangLibrary.clear();
    if (!HasLangKey(programIniPath))
        return selectedIndex;
    currentLangLibrary = ReadProfileValue(programIniPath, ProgramSection, LangKey);
    // Exact, case-sensitive comparison: any other spelling preselects nothing.
    for (size_t i = 0; i < Languages.size(); ++i)
        if (currentLangLibrary == Languages[i].Program)
            return static_cast<int32_t>(i);
    return selectedIndex;
}

void HandOffLanguage(const std::string& programIniPath, const std::string& simulatorIniPath,
                     const std::string& currentLangLibrary, int32_t langIndex, const std::string& scratchFolder)
{
    if (langIndex < 0 || static_cast<size_t>(langIndex) >= Languages.size())
        return;
    // English over an empty or already English setting has nothing to undo.
    // Any other setting is replaced, so that an explicit English choice wins
    // over the Spanish libraries of an earlier installation.
    if (langIndex == 0 && (currentLangLibrary.empty() || currentLangLibrary == Languages[0].Program))
        return;
    const TLanguageLibraries& chosen = Languages[static_cast<size_t>(langIndex)];
    // A refused write raises here, so the simulator's file stays as it was.
    WriteProfileValue(programIniPath, ProgramSection, LangKey, chosen.Program, scratchFolder);
    WriteProfileValue(simulatorIniPath, SimulatorSection, LangKey, chosen.Simulator, scratchFolder);
}
