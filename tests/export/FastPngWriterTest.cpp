// PNG files written for speed read back with every pixel and its alpha.

#include "export/FastPngWriter.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace orbisk;

TEST(FastPngWriter, ReadsBackPixelForPixel)
{
    // Noise does not compress, so its data spans several chunks.
    const int width = 300, height = 257;
    std::vector<uint32_t> argb(std::size_t(width) * std::size_t(height));
    std::generate(argb.begin(), argb.end(), std::mt19937 { 7 });
    MemoryStream out;
    WriteFastPng(out, argb, width, height);
    QImage read;
    ASSERT_TRUE(read.loadFromData(out.Bytes().data(), int(out.Bytes().size()), "PNG"));
    read = read.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(read.size(), QSize(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(read.pixel(x, y), argb[std::size_t(y * width + x)]) << x << "," << y;
}
