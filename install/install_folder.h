// The installation folder made safe for an installation with administrator
// rights, and kept so while the installation writes. Outside Program Files
// an existing folder is used only when it is empty, and then made afresh,
// or when it is this product's earlier installation as the installer left
// it; every folder on the way is held so that none can be moved, and none
// that others could change is used. Inside Program Files, which is the
// system's to protect, folders take what it gives.
#pragma once

#include "platform/unique_handle.h"

#include <cstddef>
#include <string>
#include <vector>

// Why a folder cannot take the installation.
enum class TRefusal {
    None,
    OpenToOthers, // users other than the administrators could change it
    NotOurs,      // it holds something the installer did not leave there
    Unusable,     // it cannot be opened, or is not what its path says
};

struct TFolderRefusal {
    TRefusal Reason = TRefusal::None;
    std::string Path;        // what failed: a folder, or an entry in one
    unsigned long Error = 0; // the system's code the installation reports
};

// What keeps the folder (a full path, as AcceptedDestination gives it) from
// taking the installation, seen without making or changing anything;
// Reason None when nothing does.
TFolderRefusal RefusedFolder(const std::string& folder);

// The folder page's warning for a refusal; "" for one it leaves to the
// installation to report.
std::string FolderWarning(const TFolderRefusal& refusal);

// The installation folder, from the volume's root down, each folder opened
// by handle, examined from it and held until the object goes.
class TInstallFolder {
public:
    // Opens, examines and holds every folder on the way that exists, and
    // the installation folder when it is there, both given as full paths.
    // Writes nothing. Raises the create-file message for the first that
    // fails.
    TInstallFolder(const std::string& installDir, const std::string& devicesFolder);
    TInstallFolder(const TInstallFolder&) = delete;
    TInstallFolder& operator=(const TInstallFolder&) = delete;

    // Makes what is missing, and an empty folder found afresh, holding each
    // folder as it is made; a folder on the way that someone else made in
    // the meantime is examined as one found. Then removes what a run cut
    // short left. Raises the create-file message for the first that fails.
    void Make();

    // Whether the installation made the folder, this run or one cut short
    // before it ended.
    bool Created() const { return created_; }

    // The installation is complete: the mark of a folder it made goes.
    void Complete();

    // The applications' data folders of both languages outside Program
    // Files, made where missing and afresh where empty but not as the
    // installer makes them; inside, the devices folder alone. The devices
    // folder is then held and what a run cut short left in it removed.
    void MakeDataFolders();

private:
    bool secured_;
    bool created_ = false;
    bool foundEmpty_ = false; // there, empty: to be made afresh
    std::size_t existing_ = 0; // folders of the way that were there
    std::string folder_;       // full, without trailing backslash
    std::string devicesFolder_;
    std::vector<std::string> way_;
    std::vector<TFileHandle> held_; // the way, root first, as far as it exists
    TFileHandle devices_;
};
