#include "engine/install_log.h"

#include "platform/profile_file.h"

TInstallLog::~TInstallLog()
{
    FlushProfile(path_);
}

void TInstallLog::Write(const std::string& section, const std::string& key, const std::string& value)
{
    WriteProfileValue(path_, section, key, value);
}
