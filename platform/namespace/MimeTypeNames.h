#pragma once

#include <QString>

#include <string_view>

namespace orbisk {

// The shared MIME database seen by extension, as the type dictionary and the
// file icons need it. Lookups are by name only; no file is opened.

// The description of an extension given with its point (".ico" gives
// "Windows icon"); empty when the database has none.
QString MimeTypeDescription(const QString& extension);

// The theme icon names for files with an extension (without its point):
// the type's own icon and its generic one; both empty when the database does
// not know the extension.
struct MimeIconNames {
    QString icon;
    QString generic;
};
MimeIconNames MimeIconNamesForExtension(std::string_view extension);

// A name's extension without its point: what follows the last ".", when that
// point is not the name's first character; empty otherwise.
std::string_view TypeSuffix(std::string_view name);

} // namespace orbisk
