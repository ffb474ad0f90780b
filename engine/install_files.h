// The installation procedure: one complete installation from the user's
// choices. Free of window code: where it needs the user it asks IInstallUser.
#pragma once

#include "engine/extract_resource.h"
#include "engine/setup_state.h"
#include "platform/dialog_types.h"

#include <string>

// What the procedure needs of the user interface.
class IInstallUser {
public:
    virtual ~IInstallUser() = default;
    // A modal message dialog; returns the result of the button pressed.
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) = 0;
    // One pass over the pending window messages.
    virtual void ProcessMessages() = 0;
};

// True when a payload file is never overwritten when present.
bool IsPreserved(const std::string& fileName);

// Writes one payload resource into a file; true when the file exists after.
using TExtractFunction = bool (*)(const std::string& targetPath, const std::string& resourceName);

// Runs the whole installation; false when a payload extraction reported
// failure (the user has been told). Other failures are exceptions. The
// extraction is a parameter so that tests can make a row fail.
bool InstallFiles(TSetupState& state, const TInstallChoices& choices, IInstallUser& user,
                  TExtractFunction extract = ExtractResource);
