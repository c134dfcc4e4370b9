#include "platform/ExtractIcon.h"

namespace orbisk {

HICON ExtractIcon(const std::string&, int) { return nullptr; }

} // namespace orbisk
