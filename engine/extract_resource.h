// Unpacks one payload resource of the running program into a file.
#pragma once

#include <string>

// Inflates resource BINARY/ResourceName of the program's own module into
// TargetPath, replacing that file. The whole resource is inflated once to
// learn its length and check it before the target is touched, then again
// while writing. Returns whether the file exists afterwards; every failure
// on the way is an exception.
bool ExtractResource(const std::string& TargetPath, const std::string& ResourceName);
