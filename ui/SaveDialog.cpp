#include "ui/SaveDialog.h"

#include <QFileDialog>

namespace orbisk {

namespace {

const QStringList Filters { QStringLiteral("*.ico"), QStringLiteral("*.bmp") };

} // namespace

QString SaveDialogExtension(int filterIndex)
{
    return filterIndex >= 1 && filterIndex <= Filters.size() ? Filters[filterIndex - 1].mid(1) : QString();
}

std::optional<SaveDialogResult> ExecuteSaveDialog(QWidget* owner, const QString& name, int filterIndex,
                                                  QString& folder)
{
    QFileDialog dialog(owner, QString(), folder);
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(Filters);
    const int entry = filterIndex >= 1 && filterIndex <= Filters.size() ? filterIndex : 1;
    dialog.selectNameFilter(Filters[entry - 1]);
    // The dialog adds the extension itself, before it asks about replacing a
    // file, so that the question names the file that is written.
    dialog.setDefaultSuffix(SaveDialogExtension(entry).mid(1));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        if (const int chosen = int(Filters.indexOf(filter)) + 1; chosen > 0)
            dialog.setDefaultSuffix(SaveDialogExtension(chosen).mid(1));
    });
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    folder = dialog.directory().absolutePath();
    return SaveDialogResult { dialog.selectedFiles().constFirst(), int(Filters.indexOf(dialog.selectedNameFilter())) + 1 };
}

} // namespace orbisk
