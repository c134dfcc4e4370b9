#pragma once

#include "platform/base/Exception.h"
#include "platform/settings/PrivateProfile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// A settings value could not be stored.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// Values gathered to be stored together by TIniFile::Write, in the order
// they were given.
class TIniFileUpdate {
public:
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Written in decimal.
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    // Written as 1 or 0.
    void WriteBool(std::string_view section, std::string_view key, bool value);

    const std::vector<ProfileEntry>& Entries() const { return entries_; }

private:
    std::vector<ProfileEntry> entries_;
};

// One settings file, read and written through the private-profile functions.
// Nothing is cached: each read sees the file as it is, each write replaces it
// atomically.
class TIniFile {
public:
    explicit TIniFile(std::string fileName)
        : fileName_(std::move(fileName))
    {
    }

    const std::string& FileName() const { return fileName_; }

    // At most 2047 bytes; def when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // The key's value by the settings' integer rules; def when it is missing
    // or not an integer.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // Any non-zero integer is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Each throws EIniFileException ("Unable to write to <file name>") when
    // the value cannot be stored; the file is then left as it was.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Written in decimal.
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    // Written as 1 or 0.
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Stores every value of the update with one read and one replacement of
    // the file; all or none. Throws EIniFileException as above.
    void Write(const TIniFileUpdate& update);

private:
    std::string fileName_;
};

} // namespace orbisk
