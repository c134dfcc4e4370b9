#include "platform/settings/IniFile.h"

#include "platform/settings/PrivateProfile.h"
#include "platform/settings/ProfileInteger.h"

namespace orbisk {

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    return GetPrivateProfileString(section, key, def, fileName_);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const
{
    return ParseProfileInteger(ReadString(section, key, "")).value_or(def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!WritePrivateProfileString(section, key, value, fileName_))
        throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

} // namespace orbisk
