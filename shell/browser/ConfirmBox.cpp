#include "shell/browser/ConfirmBox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace orbisk {

namespace {

ConfirmHook& Hook()
{
    static ConfirmHook hook;
    return hook;
}

} // namespace

bool ConfirmYesNo(QWidget* parent, const QString& text)
{
    if (Hook())
        return Hook()(text);
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

ConfirmHook SetConfirmHook(ConfirmHook hook)
{
    ConfirmHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

} // namespace orbisk
