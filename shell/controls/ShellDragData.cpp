#include "shell/controls/ShellDragData.h"

#include <QMimeData>

namespace orbisk {

QByteArray UriListOf(const std::vector<std::string>& nativePaths)
{
    QByteArray list;
    for (const std::string& path : nativePaths) {
        if (path.empty() || path[0] != '/')
            continue;
        const QByteArray bytes(path.data(), qsizetype(path.size()));
        list += "file://" + bytes.toPercentEncoding("/") + "\r\n";
    }
    return list;
}

QMimeData* MakeUriListData(const std::vector<std::string>& nativePaths)
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(UriListMimeType), UriListOf(nativePaths));
    return data;
}

} // namespace orbisk
