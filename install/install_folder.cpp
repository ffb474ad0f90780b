#include "install/install_folder.h"

#include "engine/product_manifest.h"
#include "install/destination.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/replacement_file.h"
#include "shell/known_folders.h"

using namespace ProductManifest;

namespace {

// Beside the log while an installation into a folder it made is under way.
constexpr const char* CreatedMarkName = "~created.tmp";

// Names compare as the file system compares them; the product's are ASCII.
bool SameName(const std::string& found, const std::string& name)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (found.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (lower(found[i]) != lower(name[i]))
            return false;
    return true;
}

// A file an earlier installation leaves in the folder, or a temporary file
// of one cut short.
bool IsInstalledFileName(const std::string& name)
{
    for (const TPayloadRow& row : PayloadTable)
        if (SameName(name, row.FileName))
            return true;
    for (const TPreservedRow& row : PreservedTable)
        if (*row.LogName != '\0' && SameName(name, row.LogName))
            return true;
    // Without a Start-menu group the web-page shortcuts go here too.
    for (const std::string& own : {std::string("install.log"), std::string(CreatedMarkName),
                                  std::string(MakerLinkName) + ".url", std::string(ProductLinkName) + ".url"})
        if (SameName(name, own))
            return true;
    return IsTemporaryFileName(name);
}

bool IsDataFolderName(const std::string& name)
{
    for (const char* folder : DataFolderTable)
        if (*folder != '\0' && SameName(name, folder))
            return true;
    return false;
}

bool IsMissing(unsigned long error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

TFolderRefusal Refusal(TRefusal reason, const std::string& path, unsigned long error)
{
    return {reason, path, error};
}

enum class TDataFolder { Missing, Usable, Empty };

// A data folder is usable as it is when no one else may move it or change
// its permissions (what is inside is the users'); an empty one that is not
// so is made afresh.
TFolderRefusal ExamineDataFolder(const std::string& path, TDataFolder& found)
{
    unsigned long error = ERROR_SUCCESS;
    const TFileHandle folder = OpenFolderHeld(path, error, true);
    found = TDataFolder::Missing;
    if (IsMissing(error))
        return {};
    if (!folder)
        return Refusal(TRefusal::Unusable, path, error);
    found = TDataFolder::Usable;
    if (!OthersMayChange(SecurityOf(folder.get()).get(), TFolderUse::Place))
        return {};
    std::vector<TFolderEntry> entries;
    if (const unsigned long listError = ListFolder(folder.get(), entries))
        return Refusal(TRefusal::Unusable, path, listError);
    if (entries.empty()) {
        found = TDataFolder::Empty;
        return {};
    }
    return Refusal(TRefusal::OpenToOthers, path, ERROR_ACCESS_DENIED);
}

// An earlier installation holds only what the installer puts there, each
// file as it leaves it, no one else able to change it.
TFolderRefusal ExamineEntries(const std::vector<TFolderEntry>& entries, const std::string& folder)
{
    for (const TFolderEntry& entry : entries) {
        const std::string path = folder + "\\" + entry.Name;
        if (entry.IsFolder && !entry.IsLink && IsDataFolderName(entry.Name)) {
            TDataFolder found;
            if (TFolderRefusal refusal = ExamineDataFolder(path, found); refusal.Reason != TRefusal::None)
                return refusal;
            continue;
        }
        // A name of ours is no proof: a second name of a file elsewhere, or
        // a link, is not what the installer leaves.
        if (entry.IsLink)
            return Refusal(TRefusal::NotOurs, path, ERROR_CANT_RESOLVE_FILENAME);
        if (entry.IsFolder || !IsInstalledFileName(entry.Name) || !IsPlainFile(path))
            return Refusal(TRefusal::NotOurs, path, ERROR_FILE_EXISTS);
        if (OthersMayChange(SecurityAt(path).get(), TFolderUse::Contents))
            return Refusal(TRefusal::OpenToOthers, path, ERROR_ACCESS_DENIED);
    }
    return {};
}

struct TExamination {
    std::vector<TFileHandle> Held; // secured: the way, root first; else the folder alone
    std::size_t Existing = 0;      // folders of the way that are there
    bool Empty = false;            // the installation folder is there and holds nothing
    TFolderRefusal Refusal;
};

// The way from the root down, each folder that is there opened and examined
// from its handle. Outside Program Files every folder on the way must be
// one that no one else can move, and the folder itself empty or an earlier
// installation; inside, none may be reached through a link.
TExamination Examine(const std::vector<std::string>& way, bool secured, const std::string& devicesFolder)
{
    TExamination found;
    for (std::size_t i = 0; i < way.size(); ++i) {
        const bool root = i == 0, last = i + 1 == way.size();
        unsigned long error = ERROR_SUCCESS;
        // A root cannot be moved; inside Program Files the way is only looked at.
        TFileHandle folder = OpenFolderHeld(way[i], error, root || (!secured && !last));
        if (IsMissing(error))
            break;
        ++found.Existing;
        if (!folder) {
            found.Refusal = Refusal(TRefusal::Unusable, way[i], error);
            break;
        }
        if (!secured) {
            if (last)
                found.Held.push_back(std::move(folder));
            continue;
        }
        if (!last) {
            if (OthersMayChange(SecurityOf(folder.get()).get(), TFolderUse::Place, root)) {
                found.Refusal = Refusal(TRefusal::OpenToOthers, way[i], ERROR_ACCESS_DENIED);
                break;
            }
            found.Held.push_back(std::move(folder));
            continue;
        }
        std::vector<TFolderEntry> entries;
        if (const unsigned long listError = ListFolder(folder.get(), entries)) {
            found.Refusal = Refusal(TRefusal::Unusable, way[i], listError);
            break;
        }
        // Not held: it is removed and made again.
        if (!root && entries.empty()) {
            found.Empty = true;
            break;
        }
        if (OthersMayChange(SecurityOf(folder.get()).get(), TFolderUse::Contents, root)) {
            found.Refusal = Refusal(TRefusal::OpenToOthers, way[i], ERROR_ACCESS_DENIED);
            break;
        }
        found.Refusal = ExamineEntries(entries, way[i]);
        found.Held.push_back(std::move(folder));
    }
    if (!secured && found.Refusal.Reason == TRefusal::None && found.Existing == way.size() && !devicesFolder.empty()) {
        unsigned long error = ERROR_SUCCESS;
        if (!OpenFolderHeld(devicesFolder, error, true) && !IsMissing(error))
            found.Refusal = Refusal(TRefusal::Unusable, devicesFolder, error);
    }
    return found;
}

} // namespace

TFolderRefusal RefusedFolder(const std::string& folder)
{
    const std::string full = ExcludeTrailingBackslash(folder);
    return Examine(FoldersOnTheWay(full), !IsInsideProgramFiles(full), "").Refusal;
}

std::string FolderWarning(const TFolderRefusal& refusal)
{
    switch (refusal.Reason) {
    case TRefusal::OpenToOthers:
        return "Users other than administrators can change \"" + refusal.Path +
               "\", so the programs installed there would not be safe. Please choose another folder.";
    case TRefusal::NotOurs: {
        const std::size_t slash = refusal.Path.find_last_of('\\');
        return "\"" + ExcludeTrailingBackslash(refusal.Path.substr(0, slash + 1)) + "\" already holds \"" +
               refusal.Path.substr(slash + 1) + "\", which is not from an installation of " + ProductIdentity.FullName +
               ". Please choose an empty or new folder, or the folder of an earlier installation.";
    }
    case TRefusal::None:
    case TRefusal::Unusable:
        break;
    }
    return {};
}

TInstallFolder::TInstallFolder(const std::string& installDir, const std::string& devicesFolder)
    : secured_(!IsInsideProgramFiles(installDir)),
      folder_(ExcludeTrailingBackslash(installDir)),
      devicesFolder_(ExcludeTrailingBackslash(devicesFolder)),
      way_(FoldersOnTheWay(folder_))
{
    TExamination found = Examine(way_, secured_, devicesFolder_);
    if (found.Refusal.Reason != TRefusal::None)
        RaiseCreateError(found.Refusal.Path, found.Refusal.Error);
    held_ = std::move(found.Held);
    existing_ = found.Existing;
    foundEmpty_ = found.Empty;
}

void TInstallFolder::Make()
{
    const std::size_t last = way_.size() - 1;
    if (foundEmpty_) {
        // Made afresh, so that no handle opened before keeps rights on it.
        // One that holds it keeps its name, and then it cannot be made again.
        if (const unsigned long error = RemoveEmptyFolder(folder_))
            RaiseCreateError(folder_, error);
        CreateOwnFolder(folder_, TFolderKind::Protected);
        held_.push_back(OpenVerifiedFolder(folder_));
    }
    for (std::size_t i = existing_; i <= last; ++i) {
        const unsigned long error =
            TryCreateOwnFolder(way_[i], secured_ ? TFolderKind::Protected : TFolderKind::Inherited);
        if (error == ERROR_ALREADY_EXISTS && secured_ && i < last) {
            // Someone else made it since it was found missing: it is used
            // only as a folder found on the way would be.
            unsigned long openError = ERROR_SUCCESS;
            TFileHandle folder = OpenFolderHeld(way_[i], openError);
            if (!folder)
                RaiseCreateError(way_[i], openError);
            if (OthersMayChange(SecurityOf(folder.get()).get(), TFolderUse::Place))
                RaiseCreateError(way_[i], ERROR_ACCESS_DENIED);
            held_.push_back(std::move(folder));
            continue;
        }
        if (error != ERROR_SUCCESS)
            RaiseCreateError(way_[i], error);
        if (secured_ || i == last)
            held_.push_back(OpenVerifiedFolder(way_[i]));
    }
    created_ = existing_ <= last;
    void* folder = held_.back().get();
    if (secured_ && OthersMayChange(SecurityOf(folder).get(), TFolderUse::Contents, way_.size() == 1))
        RaiseCreateError(folder_, ERROR_ACCESS_DENIED);
    // A run cut short after it made the folder left its mark: the folder
    // is still the installation's to log, so that the uninstaller removes it.
    const std::string mark = folder_ + "\\" + CreatedMarkName;
    if (created_)
        CreateNewFile(mark);
    else
        created_ = IsPlainFile(mark);
    RemoveLeftoverTemporaries(folder, folder_);
}

void TInstallFolder::Complete()
{
    if (created_)
        DeleteFileAt(folder_ + "\\" + CreatedMarkName);
}

void TInstallFolder::MakeDataFolders()
{
    if (!secured_) {
        if (!DirectoryExists(devicesFolder_))
            CreateOwnFolder(devicesFolder_, TFolderKind::Inherited);
    } else {
        for (const char* name : DataFolderTable) {
            if (*name == '\0')
                continue;
            const std::string path = folder_ + "\\" + name;
            TDataFolder found;
            if (const TFolderRefusal refusal = ExamineDataFolder(path, found); refusal.Reason != TRefusal::None)
                RaiseCreateError(refusal.Path, refusal.Error);
            if (found == TDataFolder::Empty)
                if (const unsigned long error = RemoveEmptyFolder(path))
                    RaiseCreateError(path, error);
            if (found != TDataFolder::Usable)
                CreateOwnFolder(path, TFolderKind::Data);
        }
    }
    devices_ = OpenVerifiedFolder(devicesFolder_);
    RemoveLeftoverTemporaries(devices_.get(), devicesFolder_);
}
