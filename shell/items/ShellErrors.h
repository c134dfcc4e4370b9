#pragma once

#include "platform/base/Exception.h"
#include "shell/items/ControlTexts.h"

namespace orbisk {

// A shell control was given something the shell does not offer here
// (control text 110).
class EStShellError : public Exception {
public:
    EStShellError() : Exception(ControlText(stShellVersion).toStdString()) {}
    explicit EStShellError(const std::string& message) : Exception(message) {}
};

// A path that the shell cannot parse into an item-ID list (control text 240).
class EStInvalidFolder : public Exception {
public:
    EStInvalidFolder() : Exception(ControlText(stInvalidFolder).toStdString()) {}
};

} // namespace orbisk
