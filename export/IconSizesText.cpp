#include "export/IconSizesText.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace orbisk {

QString GroupSizesText(const IconGroup& group)
{
    std::vector<std::pair<int, int>> sizes;
    for (const GroupImage& image : group.images)
        sizes.emplace_back(image.width, image.height);
    // By area, then width: 48x32 comes before 48x48.
    std::sort(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) {
        const long areaA = long(a.first) * a.second, areaB = long(b.first) * b.second;
        return areaA != areaB ? areaA < areaB : a < b;
    });
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    if (sizes.empty())
        return {};
    QStringList parts;
    for (const auto& [w, h] : sizes)
        parts << (w == h ? QString::number(w) : QStringLiteral("%1x%2").arg(w).arg(h));
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" px");
}

QString IconSizesText(const std::string& path, int n)
{
    auto group = ReadIconGroup(path, n);
    return group ? GroupSizesText(*group) : QString();
}

} // namespace orbisk
