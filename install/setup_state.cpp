#include "install/setup_state.h"

#include "shell/known_folders.h"
#include "shell/language.h"

TFirstChoices StartSetup(TSetupState& state, int32_t shownLanguage)
{
    const std::string settings = GetConfigFolder();
    state.ProgramIniPath = settings + "qova.ini";
    state.SimulatorIniPath = settings + "qovasim.ini";
    state.Log.FileCounter = 1;
    state.Log.FolderCounter = 1;
    TFirstChoices first;
    first.FolderText = DefaultInstallFolder();
    first.LangIndex = PreselectLanguage(state.ProgramIniPath, state.CurrentLangLibrary, shownLanguage);
    return first;
}
