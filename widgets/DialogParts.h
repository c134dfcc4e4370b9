#pragma once

#include <QSize>

class QDialog;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace orbisk {

// The program's dialogs place their controls in pixels, as they were
// designed.

// Names the dialog (tests find it by this name), titles it and fixes its
// client size.
void SetUpFixedDialog(QDialog& dialog, const char* name, const char* title, QSize size);

// The font the folder browser's and the options dialog's places were chosen
// for: the widget's own family at 11 pixels.
void UseDesignedFont(QWidget& widget);

// A label with text (UTF-8) at left, top in owner, as large as its text;
// its mnemonic, if any, focuses buddy.
QLabel* AddLabel(QWidget* owner, const char* text, int left, int top, QWidget* buddy = nullptr);

// A column layout for owner whose widgets touch each other and its edges, as
// the main window's panes are stacked.
QVBoxLayout* BareLayout(QWidget* owner);

} // namespace orbisk
