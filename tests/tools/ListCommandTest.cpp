// orbisk-extract list, run as a user runs it, on files built in code.

#include "fixtures/Fixtures.h"
#include "tests/tools/ExtractRun.h"

#include <QByteArray>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

using namespace orbisk::test;

namespace {

class ListCommand : public ExtractTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ExtractTest::SetUp());
        std::vector<GroupSpec> groups = Groups(2, { ImageSpec { .width = 16, .height = 16, .bits = 4 },
                                                    ImageSpec { .width = 48, .height = 48, .bits = 8 } });
        groups.push_back({ { ImageSpec { .width = 256, .height = 256, .png = true } } });
        ASSERT_TRUE(WriteFile(dir_ + "/app.exe", PeFile(groups)));
        ASSERT_TRUE(WriteFile(dir_ + "/one.ico", IcoFile({ ImageSpec { .bits = 24 } })));
        ASSERT_TRUE(WriteFile(dir_ + "/pic.bmp", BmpFile(ImageSpec { .width = 64, .height = 16, .bits = 8 })));
        ASSERT_TRUE(WriteFile(dir_ + "/notes.txt", { 'h', 'i' }));
    }
};

} // namespace

TEST_F(ListCommand, OneLinePerIconWithTheChosenImage)
{
    const ToolRun r = Run("list " + Quote(F("app.exe")) + " " + Quote(F("notes.txt")) + " " + Quote(F("one.ico")) + " "
                          + Quote(F("pic.bmp")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              F("app.exe") + " #0 48x48 8 name=1 language=1033\n" + F("app.exe") + " #1 48x48 8 name=2 language=1033\n"
                  + F("app.exe") + " #2 256x256 32 name=3 language=1033\n" + F("one.ico") + " #0 32x32 24\n"
                  + F("pic.bmp") + " #0 64x16 8\n");
}

// A string name can never pass for a number or run into the next field,
// on a line, in a NUL-ended record or in JSON.
TEST_F(ListCommand, EachIconEndsInItsGroupsResourceNameAndLanguage)
{
    GroupSpec quoted { { ImageSpec { .bits = 8 } }, "MY \"ICON\" \\1\n" };
    quoted.languages = { 0, 1033 };
    GroupSpec numbered { { ImageSpec { .bits = 8 } }, {}, 101 };
    ASSERT_TRUE(WriteFile(F("named.dll"), PeFile({ numbered, quoted })));
    ASSERT_TRUE(WriteFile(F("old.icl"), NeFile({ numbered, GroupSpec { { ImageSpec { .bits = 8 } }, "101" } })));
    const std::string lines[] = { F("named.dll") + " #0 32x32 8 name=\"MY \\\"ICON\\\" \\\\1\\n\" language=0",
                                  F("named.dll") + " #1 32x32 8 name=101 language=1033",
                                  F("old.icl") + " #0 32x32 8 name=\"101\"", F("old.icl") + " #1 32x32 8 name=101" };
    const ToolRun plain = Run("list " + Quote(F("named.dll")) + " " + Quote(F("old.icl")));
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3] + "\n");
    const ToolRun null = Run("list --null " + Quote(F("named.dll")) + " " + Quote(F("old.icl")));
    EXPECT_EQ(null.out, lines[0] + '\0' + lines[1] + '\0' + lines[2] + '\0' + lines[3] + '\0');

    const ToolRun json = Run("list --json " + Quote(F("named.dll")) + " " + Quote(F("old.icl")));
    ASSERT_EQ(json.status, 0) << json.err;
    std::vector<QJsonObject> icons;
    for (const QByteArray& line : QByteArray::fromStdString(json.out).split('\n'))
        if (!line.isEmpty())
            icons.push_back(QJsonDocument::fromJson(line).object());
    ASSERT_EQ(icons.size(), 4u) << json.out;
    EXPECT_EQ(icons[0]["name"].toString(), QStringLiteral("MY \"ICON\" \\1\n"));
    EXPECT_EQ(icons[0]["language"].toInt(-1), 0);
    EXPECT_TRUE(icons[1]["name"].isDouble());
    EXPECT_EQ(icons[1]["name"].toInt(), 101);
    EXPECT_EQ(icons[1]["language"].toInt(), 1033);
    EXPECT_EQ(icons[2]["name"].toString(), QStringLiteral("101"));
    EXPECT_EQ(icons[3]["name"].toInt(), 101);
    EXPECT_FALSE(icons[3].contains("language"));
}

TEST_F(ListCommand, WritesEachIconAsPngInLineOrder)
{
    const std::string pngs = F("png/out");
    const ToolRun r = Run("list --png-dir " + Quote(pngs) + " " + Quote(F("one.ico")) + " " + Quote(F("app.exe")));
    ASSERT_EQ(r.status, 0);
    for (int k = 1; k <= 4; ++k) {
        QImage image(QString::fromStdString(pngs + "/" + std::to_string(k) + ".png"));
        ASSERT_FALSE(image.isNull()) << k;
        EXPECT_EQ(image.size(), QSize(32, 32));
        EXPECT_TRUE(image.hasAlphaChannel());
    }
    EXPECT_FALSE(std::filesystem::exists(pngs + "/5.png"));
    // Icon 1 is the icon file's: its pixels as written.
    QImage first(QString::fromStdString(pngs + "/1.png"));
    const ImageSpec shape { .bits = 24 };
    EXPECT_EQ(first.convertToFormat(QImage::Format_ARGB32).pixel(5, 9), ExpectedPixel(shape, 5, 9));
}

// The PNGs are numbered by the tool: a name in the folder that is a link, a
// folder or a FIFO is never written, and the others still are.
TEST_F(ListCommand, PngDirWritesNoNameThatIsNotAPlainFile)
{
    const std::string pngs = F("png");
    std::filesystem::create_directory(pngs);
    ASSERT_TRUE(WriteFile(F("victim"), { 'k' }));
    std::filesystem::create_symlink("../victim", pngs + "/1.png");
    std::filesystem::create_symlink("../created", pngs + "/2.png");
    std::filesystem::create_directory(pngs + "/3.png");
    ASSERT_EQ(::mkfifo((pngs + "/4.png").c_str(), 0600), 0);
    const ToolRun r = Run("list --png-dir " + Quote(pngs) + " " + Quote(F("one.ico")) + " " + Quote(F("app.exe"))
                          + " " + Quote(F("pic.bmp")));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::filesystem::file_size(F("victim")), 1u);
    EXPECT_FALSE(std::filesystem::exists(F("created")));
    EXPECT_FALSE(QImage(QString::fromStdString(pngs + "/5.png")).isNull());
    std::string lines;
    for (int n = 1; n <= 4; ++n)
        lines += "orbisk-extract list: " + pngs + "/" + std::to_string(n) + ".png: cannot write\n";
    EXPECT_EQ(r.err, lines);
}

TEST_F(ListCommand, UnreadableFilesAreNamedAndTheRestListed)
{
    ::mkfifo(F("fifo").c_str(), 0600);
    const ToolRun r = Run("list " + Quote(F("missing.ico")) + " " + Quote(F("one.ico")) + " " + Quote(dir_) + " "
                          + Quote(F("fifo")));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, F("one.ico") + " #0 32x32 24\n");
    EXPECT_NE(r.err.find(F("missing.ico") + ": cannot read: No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(dir_ + ": cannot read: Is a directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(F("fifo") + ": cannot read: Not a regular file"), std::string::npos) << r.err;
}

TEST_F(ListCommand, UsageErrorsAndHelp)
{
    for (const char* args : { "list", "list --png-dir", "list --bogus x.ico", "list --png-dir '' x.ico" }) {
        const ToolRun r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_NE(r.err.find("\nTry 'orbisk-extract list --help'.\n"), std::string::npos) << args;
    }
    const ToolRun help = Run("list --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--png-dir DIR"), std::string::npos);
    // "--" ends the options: a file named like one is still a file.
    const ToolRun dashes = Run("list -- " + Quote(F("one.ico")));
    EXPECT_EQ(dashes.status, 0);
    EXPECT_EQ(dashes.out, F("one.ico") + " #0 32x32 24\n");
}
