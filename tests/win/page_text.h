// The wizard's pages by name in test output.
#pragma once

#include "setup/form_ids.h"

#include <ostream>

inline std::ostream& operator<<(std::ostream& out, TPage page)
{
    constexpr const char* Names[] = {"Welcome", "Folder", "Shortcuts", "Language", "Ready", "Finish", "no page"};
    const auto index = static_cast<unsigned>(page);
    return out << (index < sizeof Names / sizeof *Names ? Names[index] : "no page");
}
