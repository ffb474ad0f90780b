// Who may change a folder, and the folders the installer makes and holds so
// that, with administrator rights, it writes only where no one else can put
// or replace a file.
#pragma once

#include "platform/handle.h"

#include <cstddef>
#include <string>
#include <vector>

// What a folder the installer makes is for; each kind has its descriptor.
enum class TFolderKind {
    Inherited, // takes what its parent gives (inside Program Files)
    Protected, // the installation folder and the folders on its way: SYSTEM
               // and the administrators full control, Users read and run,
               // passed on to everything below, nothing taken from above
    Data,      // an applications' data folder in it: the same, and Users may
               // create, change and delete what is inside, but not the
               // folder itself or its permissions
};

// The descriptor of a kind as SDDL; "" for Inherited.
const char* FolderDescriptor(TFolderKind kind);

// What must not be open to anyone but SYSTEM, the administrators and an
// owner who is one of them.
enum class TFolderUse {
    Contents, // a folder or file written into: adding anything to it,
              // replacing, changing or deleting it or what is in it, its
              // permissions, or anything passed on to what it will hold
    Place,    // a folder on the way, or a data folder: renaming or deleting
              // it (but a volume's root), deleting what is in it by the
              // folder's rights, or changing its permissions
};

// Whether someone else may do what the use forbids in a folder with this
// security descriptor (owner and DACL). An owner who is not an
// administrator always may; so may anyone when there is no DACL.
bool OthersMayChange(const void* descriptor, TFolderUse use, bool isRoot = false);

// The owner and DACL of the entry at path, read without following a link
// there; empty when they cannot be read.
TLocalMemory SecurityAt(const std::string& path);
// The same of an open handle.
TLocalMemory SecurityOf(void* handle);

// Creates one folder with the descriptor of its kind; 0, or the system's
// error code, also ERROR_ALREADY_EXISTS when the folder is there already.
unsigned long TryCreateOwnFolder(const std::string& path, TFolderKind kind);

// The same, raising the create-file message for path when the system
// refuses, also when the folder is there already: someone else made it.
void CreateOwnFolder(const std::string& path, TFolderKind kind);

// Opens a folder so that it can be neither renamed nor deleted while it is
// held (unless shared for deletion: a folder only looked at, or a volume's
// root, which cannot be moved anyway), and makes sure it is where its path
// says. Empty, with error set, when it cannot be opened
// (ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when it is not there), and
// with ERROR_CANT_RESOLVE_FILENAME when what is there is not a folder or is
// reached another way (a link on the path).
TFileHandle OpenFolderHeld(const std::string& path, unsigned long& error, bool shareDelete = false);

// The same, raising the create-file message for path when it fails.
TFileHandle OpenVerifiedFolder(const std::string& path);

// Whether the desktop's own user, without the administrator rights the
// installer was given, may do access (FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY)
// in the folder open through handle, by its descriptor. True where the
// process has no lesser token beside its own (not elevated, UAC off):
// there is no lesser right to keep to.
bool DesktopUserMay(void* folder, unsigned long access);

// A folder of the user's own (the desktop, the Start menu, the settings),
// as the installer, with administrator rights, writes into it: the folder
// and every folder above it up to its volume's root opened by handle, held
// so that none can be renamed or deleted (the root excepted) and shown to
// be where its path says, for the object's life, so that no link on the
// way leads what is made in it elsewhere; and the desktop's own user,
// unelevated, allowed to add files to it (DesktopUserMay), so that nothing
// lands where that user could not have put it. Up to makeable missing last
// levels are made where that user could make them, with what their parent
// passes on; one that someone else made meanwhile is taken as found.
class TUserFolder {
public:
    explicit TUserFolder(const std::string& folder, std::size_t makeable = 0);

    // 0, or the system's error code for the first level that failed:
    // missing, not to be made, ERROR_CANT_RESOLVE_FILENAME for a link or a
    // folder elsewhere, or ERROR_ACCESS_DENIED where the desktop's user may
    // not add to it.
    unsigned long Error() const { return error_; }

private:
    std::vector<TFileHandle> held_;
    unsigned long error_ = 0;
};

