// What the installation procedure needs of the user interface. The form
// answers with real dialogs; tests answer from a script.
#pragma once

#include "platform/dialog_types.h"

#include <string>

class IInstallUser {
public:
    virtual ~IInstallUser() = default;
    // A modal message dialog; returns the result of the button pressed.
    virtual int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) = 0;
    // One pass over the pending window messages.
    virtual void ProcessMessages() = 0;
};
