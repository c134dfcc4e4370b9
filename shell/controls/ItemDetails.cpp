#include "shell/controls/ItemDetails.h"

#include "platform/namespace/ShellFolder.h"
#include "shell/items/ControlTexts.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

namespace orbisk {

namespace {

void SetFromFindData(TStShellItem& item, const FindData& data, uint8_t flags)
{
    if (data.directory)
        flags |= dfDirectory;
    if (data.readOnly)
        flags |= dfReadOnly;
    if (data.compressed)
        flags |= dfCompressed;
    item.SetDetailFlags(flags);
    item.SetSize(data.directory ? -1 : data.size);
    item.SetModified(data.modified);
}

// The short time format without its seconds: the column shows hours and
// minutes whatever the locale's short form holds.
QString HoursAndMinutes(const QString& format)
{
    static const QRegularExpression seconds(QStringLiteral("[:.]s+"));
    QString f = format;
    return f.remove(seconds);
}

} // namespace

void ComputeItemDetails(TStShellItem& item, const DirectoryFindData* directory)
{
    item.Details().clear();
    uint8_t flags = dfKnown;
    if (item.IsHidden())
        flags |= dfHidden;
    std::optional<FindData> data;
    const ShellFolder* parent = item.ParentFolder().get();
    if (parent && item.HasIdList()) {
        const ItemIdList& relative = item.RelativeIdList();
        if (directory && relative.Count() == 1 && relative.LastKind() == IdKind::Name && parent->IsFileSystem() &&
            parent->NativePath() == directory->Path())
            data = directory->Of(relative.LastName());
        else
            data = GetFindData(*parent, relative);
    }
    if (data) {
        SetFromFindData(item, *data, flags | dfFindData);
        if (data->directory)
            item.SetIsFileSystemFolder(true);
        return;
    }
    // Not described by its folder (the desktop, Computer): looked up by its
    // path, if it has one on disk.
    const QString path = item.Path();
    if (path.startsWith(QLatin1Char('/')))
        data = GetFindDataOfPath(QFile::encodeName(path).toStdString());
    if (data) {
        SetFromFindData(item, *data, flags);
        return;
    }
    item.SetDetailFlags(flags | dfMissing);
    item.SetSize(-1);
}

TStDetailTexts::TStDetailTexts()
    : dateFormat_(locale_.dateFormat(QLocale::ShortFormat)),
      timeFormat_(HoursAndMinutes(locale_.timeFormat(QLocale::ShortFormat)))
{
}

QStringList TStDetailTexts::Texts(const TStShellItem& item, TStColumnSet set)
{
    if (set != TStColumnSet::FileSystem)
        return {};
    const uint8_t flags = item.DetailFlags();
    if (flags & dfMissing)
        return {QString(), ControlText(stSystemFolder), QString(), QString()};
    const bool directory = (flags & dfFindData) && (flags & dfDirectory);
    return {directory ? QString() : SizeText(item.Size()), TypeText(item), DateText(item.Modified()),
            AttributeText(flags)};
}

QString TStDetailTexts::TypeText(const TStShellItem& item)
{
    const uint8_t flags = item.DetailFlags();
    if (flags & dfMissing)
        return ControlText(stSystemFolder);
    const std::string_view name = item.HasIdList() && !item.RelativeIdList().IsEmpty()
                                      ? item.RelativeIdList().LastName()
                                      : std::string_view();
    if (!(flags & dfFindData))
        return TStTypeDictionary::ShortTypeText(name);
    if (flags & dfDirectory)
        return ControlText(stFileFolder);
    return item.IsFileSystemFile() ? types_.TypeText(name) : QString();
}

QString TStDetailTexts::SizeText(int64_t size)
{
    int64_t kb = size / 1024;
    if (size > 0 && size < 1024)
        kb = 1;
    QString digits = QString::number(kb);
    const qsizetype firstDigit = digits.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype at = digits.size() - 3; at > firstDigit; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits + QLatin1String("KB");
}

QString TStDetailTexts::AttributeText(uint8_t detailFlags)
{
    QString text;
    if (detailFlags & dfHidden)
        text += QLatin1Char('H');
    if (detailFlags & dfReadOnly)
        text += QLatin1Char('R');
    if (detailFlags & dfCompressed)
        text += QLatin1Char('C');
    return text;
}

QString TStDetailTexts::DateText(int64_t secsSinceEpoch) const
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(secsSinceEpoch);
    return locale_.toString(time.date(), dateFormat_) + QLatin1Char(' ') + locale_.toString(time.time(), timeFormat_);
}

} // namespace orbisk
