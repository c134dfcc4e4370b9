#pragma once

#include <stdexcept>
#include <string>

namespace orbisk {

// The general exception class of the program: every failure that reaches the
// user carries one message and nothing else. The E-classes of each subsystem
// derive from it, so a caller that only shows the text catches this one type.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

} // namespace orbisk
