#include "ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace orbisk {

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

void Show(MessageKind kind, const QString& text)
{
    MessageRequest request { kind, QCoreApplication::applicationName(), text };
    if (Hook()) {
        Hook()(request);
        return;
    }
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, request.caption,
                    request.text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowMessage(const QString& text) { Show(MessageKind::Plain, text); }

void ShowErrorMessage(const QString& message) { Show(MessageKind::Error, ErrorBoxText(message)); }

void ShowException(const std::exception& failure)
{
    ShowErrorMessage(QString::fromLocal8Bit(failure.what()));
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

} // namespace orbisk
