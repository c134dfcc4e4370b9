#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace orbisk {

// The folder browser's yes-or-no questions: a box with the application's
// title as caption, a question icon, Yes (the default) and No. A test can
// answer them through a hook instead of the screen.

using ConfirmHook = std::function<bool(const QString& text)>;

// True when the user answers Yes.
bool ConfirmYesNo(QWidget* parent, const QString& text);

// Hands every question to hook instead of showing it; an empty hook shows
// them again. Returns the hook that was set before.
ConfirmHook SetConfirmHook(ConfirmHook hook);

} // namespace orbisk
