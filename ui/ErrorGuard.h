#pragma once

#include "widgets/MessageBox.h"

#include <QString>

#include <exception>
#include <utility>

namespace orbisk {

// Runs a command, slot or event handler of a window so that no failure
// crosses Qt's event loop: whatever it throws is shown in the application's
// error box, and the program goes on.
template <typename Handler>
void Guarded(Handler&& handler) noexcept
{
    try {
        try {
            std::forward<Handler>(handler)();
        } catch (const std::exception& failure) {
            ShowException(failure);
        } catch (...) {
            ShowErrorMessage(QStringLiteral("Unexpected failure"));
        }
    } catch (...) {
        // Not even the error box could be shown; the window goes on.
    }
}

// A slot for Qt's connect that runs handler (taking no arguments) inside the
// guard, whatever the signal carries.
template <typename Handler>
auto GuardedSlot(Handler handler)
{
    return [handler = std::move(handler)] { Guarded(handler); };
}

} // namespace orbisk
