#pragma once

#include <QWidget>

namespace orbisk {

// Holds a widget's redrawing while its rows are replaced, so that a fill or
// a refresh shows once.
class SuspendedUpdates {
public:
    explicit SuspendedUpdates(QWidget* w) : widget_(w), was_(w->updatesEnabled()) { w->setUpdatesEnabled(false); }
    ~SuspendedUpdates() { widget_->setUpdatesEnabled(was_); }
    SuspendedUpdates(const SuspendedUpdates&) = delete;
    SuspendedUpdates& operator=(const SuspendedUpdates&) = delete;

private:
    QWidget* widget_;
    bool was_;
};

} // namespace orbisk
