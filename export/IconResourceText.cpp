#include "export/IconResourceText.h"

#include "platform/extract/IconGroup.h"

#include <variant>

namespace orbisk {

namespace {

// A tooltip is one line per fact: characters that would break or hide the
// line are shown as U+FFFD.
QString Shown(const std::string& utf8)
{
    QString text = QString::fromStdString(utf8);
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString ResourceText(const GroupResource& resource)
{
    const auto* id = std::get_if<uint16_t>(&resource.name.value);
    QString text = QStringLiteral("Resource: ");
    text += id ? QString::number(*id) : QStringLiteral("\"%1\"").arg(Shown(std::get<std::string>(resource.name.value)));
    if (resource.language)
        text += QStringLiteral(", language %1").arg(*resource.language);
    return text;
}

} // namespace

QString IconResourceText(const std::string& path, int n)
{
    auto resource = ReadIconResource(path, n);
    return resource ? ResourceText(*resource) : QString();
}

} // namespace orbisk
