#include "shell/controls/ShellItemRename.h"

#include "platform/files/NativePath.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace orbisk {

Result<std::string> RenameInPlace(const std::string& nativePath, const QString& newName)
{
    const QByteArray name = QFile::encodeName(newName);
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0'))
        return Error{"not a valid name"};
    const SplitPath split = SplitFilePath(nativePath);
    if (split.name.empty())
        return Error{"not a renamable item"};
    const std::string target = JoinPath(split.folder, std::string_view(name.constData(), std::size_t(name.size())));
    if (target == nativePath)
        return target;
    if (::renameat2(AT_FDCWD, nativePath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
        return Error{errno == EEXIST ? "an item of that name exists" : "the item cannot be renamed"};
    return target;
}

} // namespace orbisk
