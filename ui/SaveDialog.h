#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace orbisk {

// The Save icon command's file dialog. Its two filter entries, "*.ico" and
// "*.bmp" (1 and 2), choose the format; a name typed without an extension gets
// the chosen entry's, and the dialog asks before replacing an existing file
// under the name it returns, extension included.
struct SaveDialogResult {
    QString FileName;
    int FilterIndex = 1;
};

// Opens the dialog in folder (the process's current folder when empty) with
// name proposed, on entry filterIndex (1 or 2; any other opens on the first).
// nullopt when the user cancels; otherwise folder becomes the folder the
// dialog was left in, for the next use.
std::optional<SaveDialogResult> ExecuteSaveDialog(QWidget* owner, const QString& name, int filterIndex,
                                                  QString& folder);

// The extension entry filterIndex gives a name without one: ".ico" for 1,
// ".bmp" for 2; empty for any other (nothing is written then).
QString SaveDialogExtension(int filterIndex);

} // namespace orbisk
