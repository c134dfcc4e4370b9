#include "export/GroupPng.h"

#include "export/AtomicFileStream.h"
#include "export/GroupFileWriter.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace orbisk {

namespace {

QImage CopyToQImage(const DecodedImage& image)
{
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(out.scanLine(y), image.argb.data() + std::size_t(y) * std::size_t(image.width),
                    std::size_t(image.width) * 4);
    return out;
}

// Qt's smooth scaling weighs colours by their alpha, so a transparent
// pixel's colour never bleeds into its opaque neighbours.
QImage Scaled(const QImage& image, int size)
{
    const QSize box = image.size().scaled(size, size, Qt::KeepAspectRatio);
    return image
        .scaled(std::max(box.width(), 1), std::max(box.height(), 1), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage GroupImageAsQImage(const IconGroup& group, std::size_t i, int size)
{
    if (size < 0 || size > kMaxPngSize)
        throw EInvalidGroup("The size must be from 1 to " + std::to_string(kMaxPngSize) + " pixels");
    auto decoded = DecodeGroupImage(group, i);
    if (!decoded)
        throw EInvalidGroup("Image #" + std::to_string(i) + " of the group cannot be decoded (" + decoded.error()
                            + ")");
    const QImage image = CopyToQImage(*decoded);
    const bool ownSize = size == 0 || (std::max(image.width(), image.height()) == size);
    return ownSize ? image : Scaled(image, size);
}

void WriteGroupPng(const IconGroup& group, std::size_t i, int size, const std::string& fileName)
{
    const QImage image = GroupImageAsQImage(group, i, size);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw EInvalidGroup("The image cannot be written as PNG");
    AtomicFileStream file(fileName);
    file.WriteBuffer(png.constData(), std::size_t(png.size()));
    file.Commit();
}

QImage LargestIconImage(const std::string& path, int n)
{
    auto group = ReadIconGroup(path, n);
    if (!group)
        return {};
    for (std::size_t i : LargestFirst(*group)) {
        auto decoded = DecodeGroupImage(*group, i);
        if (decoded)
            return CopyToQImage(*decoded);
    }
    return {};
}

} // namespace orbisk
