#include "platform/namespace/MimeTypeNames.h"

#include <QMimeDatabase>

namespace orbisk {

namespace {

QMimeType ByExtension(const QString& extensionWithPoint)
{
    const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(QStringLiteral("x") + extensionWithPoint, QMimeDatabase::MatchExtension);
    return type.isDefault() ? QMimeType() : type;
}

} // namespace

QString MimeTypeDescription(const QString& extension)
{
    if (extension.size() < 2 || !extension.startsWith(QLatin1Char('.')))
        return {};
    const QMimeType type = ByExtension(extension);
    return type.isValid() ? type.comment() : QString();
}

MimeIconNames MimeIconNamesForExtension(std::string_view extension)
{
    if (extension.empty())
        return {};
    const QMimeType type =
        ByExtension(QLatin1Char('.') + QString::fromUtf8(extension.data(), qsizetype(extension.size())));
    if (!type.isValid())
        return {};
    return {type.iconName(), type.genericIconName()};
}

std::string_view TypeSuffix(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

} // namespace orbisk
