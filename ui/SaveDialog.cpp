#include "ui/SaveDialog.h"

#include "export/SaveIconName.h"
#include "platform/files/NativePath.h"
#include "widgets/MessageBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>

#include <sys/stat.h>

namespace orbisk {

namespace {

// In SaveFormat order.
const QStringList IconFilters { QStringLiteral("*.ico"), QStringLiteral("*.bmp") };

} // namespace

QString DialogFilterExtension(const QString& filter)
{
    // The last "*.ext" of the entry, up to a blank, ")" or ";".
    const qsizetype star = filter.lastIndexOf(QLatin1String("*."));
    if (star < 0)
        return {};
    qsizetype end = star + 2;
    while (end < filter.size() && !QStringLiteral(" );").contains(filter[end]) && filter[end] != QLatin1Char('*'))
        ++end;
    return end > star + 2 ? filter.mid(star + 1, end - star - 1) : QString();
}

std::optional<SaveFormat> SaveDialogFormat(int filterIndex)
{
    if (filterIndex < 1 || filterIndex > IconFilters.size())
        return std::nullopt;
    return SaveFormat(filterIndex - 1);
}

QString SaveDialogExtension(int filterIndex)
{
    const std::optional<SaveFormat> format = SaveDialogFormat(filterIndex);
    return format ? QString::fromLatin1(SaveFileExtension(*format)) : QString();
}

std::optional<SaveDialogResult> ExecuteSaveDialog(QWidget* owner, const QString& name, const QStringList& filters,
                                                  int filterIndex, QString& folder)
{
    if (filters.isEmpty())
        return std::nullopt;
    QFileDialog dialog(owner, QString(), folder);
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    const int entry = filterIndex >= 1 && filterIndex <= filters.size() ? filterIndex : 1;
    dialog.selectNameFilter(filters[entry - 1]);
    // No default suffix: Qt adds it after a native dialog (GTK, a portal) has
    // asked about the name typed, so "x" over an existing x.ico would come
    // back as x.ico, unasked, and look the same as an x.ico the dialog did
    // ask about. The caller adds the extension and asks itself.
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    folder = dialog.directory().absolutePath();
    return SaveDialogResult { dialog.selectedFiles().constFirst(),
                              int(filters.indexOf(dialog.selectedNameFilter())) + 1 };
}

std::optional<SaveDialogResult> ExecuteSaveDialog(QWidget* owner, const QString& name, int filterIndex,
                                                  QString& folder)
{
    return ExecuteSaveDialog(owner, name, IconFilters, filterIndex, folder);
}

std::optional<std::string> SaveFileNameWithExtension(const QString& chosen, const QString& extension)
{
    std::string fileName = QFile::encodeName(chosen).toStdString();
    if (HasExtension(fileName))
        return fileName;
    fileName += QFile::encodeName(extension).toStdString();
    // lstat: a link is asked about too, also one that leads nowhere (whose
    // save then fails: a link to nothing is no file to replace).
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) != 0)
        return fileName;
    const QString shown = QFile::decodeName(QByteArray::fromStdString(SplitFilePath(fileName).name));
    if (!AskYesNo(QCoreApplication::applicationName(),
                  QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(shown), MessageAnswer::No))
        return std::nullopt;
    return fileName;
}

} // namespace orbisk
