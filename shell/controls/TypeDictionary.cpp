#include "shell/controls/TypeDictionary.h"

#include "platform/namespace/ItemNames.h"
#include "platform/namespace/MimeTypeNames.h"
#include "shell/items/ControlTexts.h"

namespace orbisk {

const QString& TStTypeDictionary::Description(const QString& extensionWithPoint)
{
    const QString key = extensionWithPoint.toLower();
    auto it = descriptions_.find(key);
    if (it == descriptions_.end())
        it = descriptions_.insert(key, MimeTypeDescription(key));
    return *it;
}

const QString& TStTypeDictionary::TypeText(std::string_view fileName)
{
    // Keyed by the extension as named: a folder of many files has few
    // extensions, and every file of one extension shares one text.
    const QString extension = DecodeName(TypeSuffix(fileName));
    auto it = texts_.find(extension);
    if (it != texts_.end())
        return *it;
    QString text;
    if (extension.isEmpty())
        text = ControlText(stFile);
    else if (const QString& description = Description(QLatin1Char('.') + extension); !description.isEmpty())
        text = description;
    else
        text = ExtensionFileText(extension);
    return *texts_.insert(extension, text);
}

QString TStTypeDictionary::ShortTypeText(std::string_view fileName)
{
    const QString extension = DecodeName(TypeSuffix(fileName));
    if (extension.isEmpty())
        return ControlText(stFile);
    if (extension.compare(QLatin1String("lnk"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Shortcut");
    return ExtensionFileText(extension);
}

QString TStTypeDictionary::ExtensionFileText(const QString& extension)
{
    return extension.toUpper() + QLatin1Char(' ') + ControlText(stFile);
}

} // namespace orbisk
