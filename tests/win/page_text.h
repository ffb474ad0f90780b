// The wizard's pages by name in test output, and runs of them in order.
#pragma once

#include "setup/form_ids.h"

#include <ostream>
#include <vector>

// The pages from first to last, both included, in the order Continue goes.
inline std::vector<TPage> PagesFrom(TPage first, TPage last)
{
    std::vector<TPage> pages;
    for (int page = static_cast<int>(first); page <= static_cast<int>(last); ++page)
        pages.push_back(static_cast<TPage>(page));
    return pages;
}

inline std::ostream& operator<<(std::ostream& out, TPage page)
{
    constexpr const char* Names[] = {"Welcome", "Folder", "Shortcuts", "Language", "Ready", "Finish", "no page"};
    const auto index = static_cast<unsigned>(page);
    return out << (index < sizeof Names / sizeof *Names ? Names[index] : "no page");
}
