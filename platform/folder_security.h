// Who may change a folder, and the folders the installer makes or takes
// over so that, with administrator rights, it writes only where no one else
// can put or replace a file.
#pragma once

#include "platform/handle.h"

#include <string>

// What a folder the installer makes is for; each kind has its descriptor.
enum class TFolderKind {
    Inherited,    // takes what its parent gives (inside Program Files)
    Parent,       // on the way to the installation folder: SYSTEM and the
                  // administrators full control, Users read and run, passed
                  // on to everything below, nothing taken from above
    Installation, // the same, and Users may create subfolders of their own
                  // (the applications' data folders) in this folder only;
                  // whoever creates one gets full control of it
    Devices,      // the devices folder: Users may also add files, and
                  // change and delete what is in it, but not the folder
};

// The descriptor of a kind as SDDL; "" for Inherited.
const char* FolderDescriptor(TFolderKind kind);

// What must not be open to anyone but SYSTEM, the administrators and an
// owner who is one of them.
enum class TFolderUse {
    Contents, // a folder written into: adding, replacing or deleting what is
              // in it, changing it, or anything passed on to what it will
              // hold; creating subfolders alone does not count
    Place,    // a folder on the way: renaming or deleting it (but a volume's
              // root), deleting what is in it, or changing its permissions
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

// Creates one folder with the descriptor of its kind. Raises the create-file
// message for path when the system refuses, also when the folder is there
// already: someone else made it in the meantime.
void CreateOwnFolder(const std::string& path, TFolderKind kind);

// Creates a folder and every missing parent: the folder with the descriptor
// of its kind, the parents as Parent (or Inherited, with kind Inherited).
// Raises as CreateOwnFolder for the first one it cannot create.
void CreateFolders(const std::string& path, TFolderKind kind);

// Gives the folder to the administrators with the descriptor of its kind,
// and so every file and link directly in it, each with what the folder
// would pass on to a new file; subfolders keep what they have. Raises the
// create-file message for the first entry it cannot take over: a file with
// a second name (hard link), whose permissions are also another's, or a
// folder that is a link.
void TakeOverFolder(const std::string& path, TFolderKind kind);

// Opens a folder so that it can be neither renamed nor deleted while it is
// held, and makes sure it is where its path says. Raises the create-file
// message for path when it cannot be opened, is not a folder, or is reached
// another way (a link on the path).
TFileHandle OpenVerifiedFolder(const std::string& path);

// Whether the file or folder open through handle is the one at path, not
// one reached through a link; path must exist.
bool IsAtPath(void* handle, const std::string& path);
