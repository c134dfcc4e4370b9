#pragma once

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace orbisk {

// The program's message boxes. Every box goes through here so that a test
// can take the boxes instead of the screen and never waits on a modal one.

enum class MessageKind {
    Plain, // one OK button, no icon
    Error, // the application's error box: one OK button, error icon
    Question, // Yes and No buttons, no icon
    Confirm, // the folder browser's question: Yes and No buttons, question icon
};

enum class MessageAnswer { Ok, Yes, No };

struct MessageRequest {
    MessageKind kind = MessageKind::Plain;
    QString caption;
    QString text;
    // The default button (Yes or No for a question); a hook may set the
    // button chosen, otherwise the default stands.
    MessageAnswer answer = MessageAnswer::Ok;
};

using MessageBoxHook = std::function<void(MessageRequest&)>;

// Shows text with the application's title as caption.
void ShowMessage(const QString& text);

// Asks a question with caption; true when the answer is Yes. Yes is the
// default button unless defaultAnswer says No.
bool AskYesNo(const QString& caption, const QString& text, MessageAnswer defaultAnswer = MessageAnswer::Yes);

// Asks the folder browser's question over parent, with the application's
// title as caption and Yes as the default; true when the answer is Yes.
bool ConfirmYesNo(QWidget* parent, const QString& text);

// Shows a failure that no handler dealt with, as the application's error box
// shows it: the message, with a full stop appended when its last character
// sorts after "."; the application's title as caption.
void ShowErrorMessage(const QString& message);
void ShowException(const std::exception& failure);

// The text the error box shows for a failure's message.
QString ErrorBoxText(const QString& message);

// Hands every box to hook instead of showing it; an empty hook shows them
// again. Returns the hook that was set before.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

} // namespace orbisk
