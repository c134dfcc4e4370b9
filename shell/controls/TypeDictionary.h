#pragma once

#include <QHash>
#include <QString>

#include <string_view>

namespace orbisk {

// File-type descriptions by extension, from the shared MIME database
// (".ico" gives "Windows icon"). Each extension is looked up once and kept;
// extensions are compared without regard to case, as the database's own
// patterns are.
class TStTypeDictionary {
public:
    // The description of an extension given with its point; empty when the
    // database has none.
    const QString& Description(const QString& extensionWithPoint);

    // The type text of a file name, dictionary form: the description of its
    // extension; "File" without an extension; "XYZ File" for an extension
    // .xyz the database does not describe.
    const QString& TypeText(std::string_view fileName);

    // The type text of a file name, short form (for an item found only
    // through its path): "Shortcut" for .lnk in any case, "XYZ File" for
    // any other extension .xyz, "File" without one.
    static QString ShortTypeText(std::string_view fileName);

    // "XYZ File" for the extension xyz (without its point).
    static QString ExtensionFileText(const QString& extension);

private:
    QHash<QString, QString> descriptions_; // lower-case extension with its point
    QHash<QString, QString> texts_;        // extension as named -> type text
};

} // namespace orbisk
