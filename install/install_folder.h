// The installation folder made safe for an installation with administrator
// rights, whoever made it first, and kept so while the installation writes.
// Outside Program Files, the folder the installer makes gets a descriptor
// that lets only the administrators change it; an empty folder, or one with
// this product's previous installation, is taken over; any other folder is
// used only when no one else can change it. Inside Program Files, which is
// the system's to protect, folders take what it gives.
#pragma once

#include "platform/unique_handle.h"

#include <string>

// The folder that users other than the administrators could change so that
// what is installed in folder would not be safe: folder itself when it
// holds anything else than this product's previous installation, or a
// folder on its way that they could move; "" when there is none.
std::string FolderOpenToOthers(const std::string& folder);

// The folder page's warning that names such a folder.
std::string OpenFolderWarning(const std::string& openFolder);

// What must hold before anything is written: no junction or symbolic link
// on the way to the installation folder or to the devices folder in it, and
// no folder open to others. Raises the create-file message for the folder
// that fails.
void CheckInstallFolder(const std::string& installDir, const std::string& devicesFolder);

// The installation folder, made or taken over, then opened and checked
// again by its handle, which it holds so that the folder stays where it is,
// and the devices folder in it likewise when it is there. What a run cut
// short left in them is removed. Raises the create-file message for the
// folder when any of it fails.
class TInstallFolder {
public:
    TInstallFolder(const std::string& installDir, const std::string& devicesFolder);

    // Whether the installation made the folder, this run or one cut short
    // before it ended.
    bool Created() const { return created_; }

    // The installation is complete: the mark of a folder it made goes.
    void Complete();

    // The devices folder, made when it was missing (outside Program Files
    // with a descriptor that lets Users add, change and delete its files),
    // then opened, checked and held in the same way.
    void OpenDevicesFolder();

private:
    bool secured_;
    bool created_ = false;
    std::string mark_; // there from the folder's making until Complete
    std::string devicesFolder_;
    TFileHandle folder_;
    TFileHandle devices_;
};
