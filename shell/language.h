// The applications' language setting: read at start, written when the user
// chose another language.
#pragma once

#include "engine/setup_state.h"

#include <cstdint>

// Reads LangLibrary of [QOVA] in the main application's settings file into
// state.CurrentLangLibrary; returns the language index to select
// (selectedIndex when the value names no known library).
int32_t PreselectLanguage(TSetupState& state, int32_t selectedIndex);

// Writes the chosen language's libraries into both settings files where
// needed. Raises "Unable to write to %s" when a write is refused.
void HandOffLanguage(const TSetupState& state, int32_t langIndex);
