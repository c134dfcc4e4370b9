#include "platform/settings/IniFile.h"

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

void TIniFileUpdate::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    entries_.push_back({ std::string(section), std::string(key), std::string(value) });
}

void TIniFileUpdate::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFileUpdate::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::Write(const TIniFileUpdate& update)
{
    if (!WritePrivateProfileStrings(update.Entries(), fileName_))
        throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    TIniFileUpdate update;
    update.WriteString(section, key, value);
    Write(update);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
    TIniFileUpdate update;
    update.WriteInteger(section, key, value);
    Write(update);
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    TIniFileUpdate update;
    update.WriteBool(section, key, value);
    Write(update);
}

} // namespace orbisk
