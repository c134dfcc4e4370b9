#include "widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace orbisk {

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Confirm: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

// Over parent, or over the active window when there is none.
MessageAnswer Show(MessageRequest request, QWidget* parent = nullptr)
{
    if (Hook()) {
        Hook()(request);
        return request.answer;
    }
    const bool question = request.kind == MessageKind::Question || request.kind == MessageKind::Confirm;
    QMessageBox box(IconOf(request.kind), request.caption, request.text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    if (question)
        box.setDefaultButton(request.answer == MessageAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return question ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

void Show(MessageKind kind, const QString& text) { Show(MessageRequest { kind, QCoreApplication::applicationName(), text }); }

} // namespace

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowMessage(const QString& text) { Show(MessageKind::Plain, text); }

bool AskYesNo(const QString& caption, const QString& text, MessageAnswer defaultAnswer)
{
    return Show(MessageRequest { MessageKind::Question, caption, text, defaultAnswer }) == MessageAnswer::Yes;
}

bool ConfirmYesNo(QWidget* parent, const QString& text)
{
    const MessageRequest request { MessageKind::Confirm, QCoreApplication::applicationName(), text, MessageAnswer::Yes };
    return Show(request, parent) == MessageAnswer::Yes;
}

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
