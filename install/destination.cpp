#include "install/destination.h"

#include "engine/product_manifest.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cstddef>

using namespace ProductManifest;

namespace {

// MAX_PATH less its terminating zero.
constexpr std::size_t LongestPath = 259;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool PassesThroughReparsePoint(const std::string& fullPath)
{
    const std::vector<std::string> folders = FoldersOnTheWay(fullPath);
    for (std::size_t i = 1; i < folders.size(); ++i) {
        if (IsReparsePoint(folders[i]))
            return true;
        if (!DirectoryExists(folders[i]))
            return false;
    }
    return false;
}

std::string TrimBlanks(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string DestinationFolder(const std::string& text)
{
    std::string folder = TrimBlanks(text);
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
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
    const std::string server = path.substr(2, shareStart - 2);
    if (server == "?" || server == ".")
        return false;
    return shareStart + 1 < path.size() && path[shareStart + 1] != '\\';
}

std::size_t LongestTargetName()
{
    std::size_t longest = std::char_traits<char>::length("install.log");
    for (const TPayloadRow& row : PayloadTable)
        longest = std::max(longest, std::char_traits<char>::length(row.FileName));
    // Without a Start-menu group the web-page shortcuts go here too.
    for (const char* name : {MakerLinkName, ProductLinkName})
        longest = std::max(longest, std::char_traits<char>::length(name) + 4);
    for (std::size_t row = 0; row < DataFolderTable.size(); row += DataFoldersPerLanguage)
        for (const TPayloadRow& device : DeviceTable)
            longest = std::max(longest, std::char_traits<char>::length(DataFolderTable[row]) + 1 +
                                            std::char_traits<char>::length(device.FileName));
    return longest;
}

std::string AcceptedDestination(const std::string& text)
{
    const std::string folder = DestinationFolder(text);
    if (!IsFullPath(folder))
        return {};
    // The system resolves "." and ".." before it looks at the disk.
    const std::string full = ExcludeTrailingBackslash(FullPathName(folder));
    if (IncludeTrailingBackslash(full).size() + LongestTargetName() > LongestPath || PassesThroughReparsePoint(full))
        return {};
    return full;
}
