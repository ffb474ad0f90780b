#include "platform/data_module.h"

TModuleHandle LoadModuleAsData(const std::string& path)
{
    return TModuleHandle(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}
