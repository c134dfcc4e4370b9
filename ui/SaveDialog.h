#pragma once

#include "export/BatchFileNames.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

class QWidget;

namespace orbisk {

// The save commands' file dialog. Its filter entries (numbered from 1)
// choose the format. The dialog (Qt's own or the desktop's) returns the name
// as typed and asks about replacing that name only: a name without an
// extension is completed, and asked about, by SaveFileNameWithExtension.
struct SaveDialogResult {
    QString FileName;
    int FilterIndex = 1;
};

// Opens the dialog in folder (the process's current folder when empty) with
// name proposed, on entry filterIndex of filters ("Icon file (*.ico)" or
// "*.ico"; an index out of range opens on the first). nullopt when the user
// cancels; otherwise folder becomes the folder the dialog was left in, for
// the next use.
std::optional<SaveDialogResult> ExecuteSaveDialog(QWidget* owner, const QString& name, const QStringList& filters,
                                                  int filterIndex, QString& folder);

// Save icon's dialog: the entries "*.ico" and "*.bmp" (1 and 2).
std::optional<SaveDialogResult> ExecuteSaveDialog(QWidget* owner, const QString& name, int filterIndex,
                                                  QString& folder);

// The format Save icon's entry filterIndex stands for: SaveAsIcon for 1,
// SaveAsBitmap for 2; none for any other.
std::optional<SaveFormat> SaveDialogFormat(int filterIndex);

// The extension Save icon's entry filterIndex gives a name without one:
// ".ico" for 1, ".bmp" for 2; empty for any other (nothing is written then).
QString SaveDialogExtension(int filterIndex);

// The extension a filter entry gives: ".png" for "PNG image (*.png)" and for
// "*.png"; empty when it names none.
QString DialogFilterExtension(const QString& filter);

// The name to write for what the dialog returned: a name without an
// extension gets extension, and the user is asked before anything under that
// completed name (a link too, even a dangling one) is replaced. A name that
// has an extension is used as it is, unasked: the dialog asked about it.
// nullopt when the user keeps the existing file.
std::optional<std::string> SaveFileNameWithExtension(const QString& chosen, const QString& extension);

} // namespace orbisk
