#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace orbisk {

// The name of a resource in a program or library: a 16-bit id, or a string
// (held as UTF-8, whatever the format stores it as).
struct ResourceName {
    std::variant<uint16_t, std::string> value;
    bool IsNumber() const { return value.index() == 0; }
    friend bool operator==(const ResourceName&, const ResourceName&) = default;
};

// What a program calls the group an icon comes from: the group's resource
// name and, in PE files, the language of the entry the icon was made from
// (NE files have no languages).
struct GroupResource {
    ResourceName name;
    std::optional<uint16_t> language;
    friend bool operator==(const GroupResource&, const GroupResource&) = default;
};

// A PE resource name, UTF-16LE code units; a lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16Le(std::span<const uint8_t> units);
// An NE resource name, in the Western Windows code page (1252).
std::string Utf8FromWindows1252(std::span<const uint8_t> bytes);

} // namespace orbisk
