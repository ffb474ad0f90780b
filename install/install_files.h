// The installation procedure: one complete installation from the user's
// choices. Free of window code: where it needs the user it asks IInstallUser.
#pragma once

#include "install/install_user.h"
#include "install/ordered_extract.h"
#include "install/setup_state.h"
#include "install/signed_payload.h"

// Runs the whole installation; false when a payload or device extraction
// reported failure (the user has been told). Other failures are exceptions. The
// extraction is a parameter so that tests can make a row fail.
bool InstallFiles(TSetupState& state, const TInstallChoices& choices, IInstallUser& user,
                  const TExtractFunction& extract = ExtractPayload);
