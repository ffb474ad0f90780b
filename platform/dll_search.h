// Where the process looks for the DLLs it loads at run time.
#pragma once

// Takes the program's own folder (often a downloads folder) and the current
// folder out of the DLL search, leaving the system folder. Call it first,
// before anything loads a DLL. Older systems without the newer calls get
// the nearest they offer.
void RestrictDllSearch();

// Loads a DLL from the system folder by its full path and keeps it loaded
// for the process's life. A later load by bare name, such as a system
// library's delay-loaded import (which Wine resolves with the old search
// order), then finds this one instead of searching.
void PinSystemLibrary(const char* name);

// A function of a system library that only a later step needs (COM, the
// shell, the BSTRs): the library is loaded from the system folder on first
// use and kept, so starting neither waits for it nor holds its memory.
// Raises the system's text when the library or the function is missing.
void* SystemLibraryFunction(const char* library, const char* name);

template <typename F>
F SystemFunction(const char* library, const char* name)
{
    return reinterpret_cast<F>(SystemLibraryFunction(library, name));
}
