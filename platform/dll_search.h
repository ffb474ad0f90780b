// Where the process looks for the DLLs it loads at run time.
#pragma once

// Takes the program's own folder (often a downloads folder) and the current
// folder out of the DLL search, leaving the system folder. Call it first,
// before anything loads a DLL. Older systems without the newer calls get
// the nearest they offer.
void RestrictDllSearch();
