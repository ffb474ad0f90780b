#include "setup/folder_rules.h"

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string TrimBlanks(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool IsFullPath(const std::string& path)
{
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return true;
    // \\server\share: both names present and not empty.
    if (path.size() < 5 || path[0] != '\\' || path[1] != '\\')
        return false;
    const size_t shareStart = path.find('\\', 2);
    if (shareStart == std::string::npos || shareStart == 2)
        return false;
    return shareStart + 1 < path.size() && path[shareStart + 1] != '\\';
}
