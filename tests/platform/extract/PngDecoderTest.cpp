// PNG images of every colour type decode to the pixels Qt's own reader gives.

#include "platform/extract/PngDecoder.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>
#include <png.h>

#include <random>

using namespace orbisk;

namespace {

// Random pixels, stored as `format`, as a PNG file; Qt cannot write
// interlaced images, so those are written with libpng.
std::vector<uint8_t> Png(QImage::Format format, bool interlaced = false)
{
    QImage image(17, 9, QImage::Format_RGBA64);
    std::mt19937 random(static_cast<uint32_t>(format));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor::fromRgba64(QRgba64::fromRgba64(random(), random(), random(), random())));
    // Through ARGB32, a palette gets transparent entries.
    if (format == QImage::Format_Indexed8)
        image = image.convertToFormat(QImage::Format_ARGB32);
    image = image.convertToFormat(format, Qt::ThresholdDither);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!interlaced) {
        EXPECT_TRUE(image.save(&buffer, "PNG"));
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &buffer, [](png_structp p, png_bytep data, std::size_t size) {
            static_cast<QBuffer*>(png_get_io_ptr(p))->write(reinterpret_cast<const char*>(data), qint64(size));
        },
        nullptr);
    png_set_IHDR(png, info, 17, 9, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7, 0, 0);
    std::vector<png_bytep> rows;
    for (int y = 0; y < image.height(); ++y)
        rows.push_back(const_cast<png_bytep>(image.constScanLine(y)));
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

TEST(PngDecoder, EveryColourTypeGivesQtsPixels)
{
    // 16-bit samples may round either way.
    const std::vector<std::tuple<const char*, std::vector<uint8_t>, int>> cases {
        { "palette with transparency", Png(QImage::Format_Indexed8), 0 },
        { "1-bit", Png(QImage::Format_Mono), 0 },
        { "grey", Png(QImage::Format_Grayscale8), 0 },
        { "16-bit grey", Png(QImage::Format_Grayscale16), 1 },
        { "RGB", Png(QImage::Format_RGB32), 0 },
        { "16-bit RGBA", Png(QImage::Format_RGBA64), 1 },
        { "interlaced RGBA", Png(QImage::Format_RGBA8888, true), 0 },
    };
    for (const auto& [what, png, tolerance] : cases) {
        SCOPED_TRACE(what);
        QImage qt;
        ASSERT_TRUE(qt.loadFromData(png.data(), int(png.size()), "PNG"));
        qt = qt.convertToFormat(QImage::Format_ARGB32);
        auto decoded = DecodePng(ByteReader(png));
        ASSERT_TRUE(decoded) << decoded.error();
        ASSERT_EQ(QSize(decoded->width, decoded->height), qt.size());
        for (std::size_t i = 0; i < decoded->argb.size(); ++i) {
            const uint32_t ours = decoded->argb[i], theirs = qt.pixel(int(i) % qt.width(), int(i) / qt.width());
            for (int shift : { 0, 8, 16, 24 })
                ASSERT_LE(std::abs(int(ours >> shift & 0xff) - int(theirs >> shift & 0xff)), tolerance) << i;
            EXPECT_EQ(decoded->mask[i], (ours >> 24) < 128);
        }
    }
    // A PNG that stops before its end chunk is not an image.
    const std::vector<uint8_t> whole = Png(QImage::Format_ARGB32);
    EXPECT_FALSE(DecodePng(ByteReader(std::span(whole).first(whole.size() - 12))));
}
