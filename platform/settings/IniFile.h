#pragma once

#include "platform/base/Exception.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orbisk {

// A settings value could not be stored.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// One settings file, read and written key by key through the private-profile
// functions. Nothing is cached: each read sees the file as it is, each write
// replaces it atomically.
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

private:
    std::string fileName_;
};

} // namespace orbisk
