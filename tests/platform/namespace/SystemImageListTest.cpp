#include "platform/namespace/SystemImageList.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace orbisk;

namespace {

// A one-icon theme: "x-orbisk-red", a red square.
void InstallRedTheme(const QTemporaryDir& dir)
{
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("orbisk-test/32x32/apps")));
    QFile index(root.filePath(QStringLiteral("orbisk-test/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=orbisk-test\nDirectories=32x32/apps\n\n"
                "[32x32/apps]\nSize=32\nType=Fixed\n");
    index.close();
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(root.filePath(QStringLiteral("orbisk-test/32x32/apps/x-orbisk-red.png"))));
    QIcon::setThemeSearchPaths({ dir.path() });
    QIcon::setThemeName(QStringLiteral("orbisk-test"));
}

QImage ImageOnWorker(int index)
{
    QImage image;
    std::thread([&] { image = SystemImageList::Large().Image(index); }).join();
    return image;
}

} // namespace

TEST(SystemImageList, OnlyTheWindowThreadMakesThemeImages)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = { name, nullptr };
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    InstallRedTheme(dir);
    const int index = SystemIconIndex(QStringLiteral("x-orbisk-red"), QString(), IconShape::File);
    const QRgb red = qRgb(255, 0, 0);

    // A worker gets an image, drawn, without touching the theme.
    const QImage early = ImageOnWorker(index);
    ASSERT_EQ(early.size(), QSize(32, 32));
    EXPECT_NE(early.pixel(16, 16), red);
    QIcon workerIcon;
    std::thread([&] { workerIcon = SystemImageList::Large().Icon(index); }).join();
    EXPECT_TRUE(workerIcon.isNull());

    // The window thread's theme image is then every thread's.
    EXPECT_EQ(SystemImageList::Large().Image(index).pixel(16, 16), red);
    EXPECT_EQ(ImageOnWorker(index).pixel(16, 16), red);
    EXPECT_FALSE(SystemImageList::Large().Icon(index).isNull());
}
