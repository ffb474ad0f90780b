// Another executable mapped as data only, for reading its resources.
#pragma once

#include "platform/handle.h"

#include <string>

// Empty when the file cannot be mapped.
TModuleHandle LoadModuleAsData(const std::string& path);
