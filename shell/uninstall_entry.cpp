#include "shell/uninstall_entry.h"

#include "engine/product_manifest.h"
#include "platform/registry.h"

#include <string>

namespace {

const char* const UninstallListPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The number with leading zeros up to `width` digits, never cut. Written by
// hand: snprintf would link the C library's whole printf engine for this.
void AppendZeroPadded(std::string& text, int number, std::size_t width)
{
    const std::string digits = std::to_string(number);
    if (digits.size() < width)
        text.append(width - digits.size(), '0');
    text += digits;
}

} // namespace

std::string InstallDateText(const TLocalDate& date)
{
    std::string text;
    AppendZeroPadded(text, date.Year, 4);
    AppendZeroPadded(text, date.Month, 2);
    AppendZeroPadded(text, date.Day, 2);
    return text;
}

void RegisterUninstall(const std::string& installDir)
{
    using namespace ProductManifest;
    const TProductIdentity& id = ProductIdentity;
    const TRegKey key =
        CreateRegKey(HKEY_LOCAL_MACHINE, std::string(UninstallListPath) + id.ShortName, KEY_ALL_ACCESS);
    // Without the rights to the machine's list the product simply is not listed.
    if (!key)
        return;
    const HKEY k = key.get();
    const std::string& dir = installDir;
    WriteRegString(k, "DisplayName", id.FullName);
    WriteRegString(k, "DisplayIcon", dir + MainProgram.FileName + ",0");
    WriteRegString(k, "UninstallPath", dir);
    // The system runs this command line elevated: quoted, a space in the
    // folder cannot make it start C:\Program.exe instead.
    WriteRegString(k, "UninstallString", "\"" + dir + Uninstaller.FileName + "\"");
    WriteRegString(k, "InstallLocation", dir);
    WriteRegString(k, "DisplayVersion", id.VersionText);
    WriteRegString(k, "Comments", std::string("Thank you for using ") + id.ShortName + "!");
    WriteRegString(k, "Contact", id.ContactAddress);
    WriteRegString(k, "Publisher", id.PublisherName);
    WriteRegString(k, "URLInfoAbout", id.AboutURL);
    WriteRegString(k, "URLUpdateInfo", id.UpdateURL);
    WriteRegDword(k, "NoModify", 1);
    WriteRegDword(k, "NoRepair", 1);
    WriteRegDword(k, "VersionMajor", static_cast<DWORD>(VersionMajor));
    WriteRegDword(k, "VersionMinor", static_cast<DWORD>(VersionMinor));
    WriteRegString(k, "InstallDate", InstallDateText(LocalDate()));
}
