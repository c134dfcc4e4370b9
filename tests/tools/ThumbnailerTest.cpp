// orbisk-thumbnailer run as a file manager runs it: installed into a scratch
// prefix, its command taken from the installed orbisk.thumbnailer file's
// Exec line with %s, %i or %u and %o filled in, the PNG it writes read back.

#include "fixtures/Fixtures.h"

#include <QImage>
#include <QMimeDatabase>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>

using namespace orbisk::test;

namespace {

const ImageSpec kPng256 { .width = 256, .height = 256, .pixel = AlphaPattern(3), .png = true };
const std::vector<ImageSpec> kImages = Groups(1,
                                              { ImageSpec { .width = 16, .height = 16, .bits = 4 },
                                                ImageSpec { .width = 32, .height = 32, .bits = 8 },
                                                ImageSpec { .width = 48, .height = 48, .pixel = AlphaPattern(2) },
                                                kPng256 })[0]
                                           .images;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::vector<uint32_t> Pixels(const std::string& png)
{
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_ARGB32);
    std::vector<uint32_t> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(image.pixel(x, y));
    return out;
}

// The image averaged over 2 x 2 blocks, colours weighted by alpha.
std::vector<uint32_t> Halved(const ImageSpec& shape)
{
    const std::vector<uint32_t> p = ExpectedPixels(shape);
    std::vector<uint32_t> half;
    for (int y = 0; y < shape.height; y += 2) {
        for (int x = 0; x < shape.width; x += 2) {
            double a = 0, r = 0, g = 0, b = 0;
            for (int k = 0; k < 4; ++k) {
                const uint32_t v = p[std::size_t((y + k / 2) * shape.width + x + k % 2)];
                const double alpha = v >> 24;
                a += alpha, r += alpha * (v >> 16 & 0xff), g += alpha * (v >> 8 & 0xff), b += alpha * (v & 0xff);
            }
            const auto c = [&](double sum) { return uint32_t(std::lround(sum / a)); };
            half.push_back(a > 0 ? uint32_t(std::lround(a / 4)) << 24 | c(r) << 16 | c(g) << 8 | c(b) : 0);
        }
    }
    return half;
}

class Thumbnailer : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbisk-thumbnailer-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        prefix_ = pattern;
        ASSERT_EQ(std::system((Quote(CMAKE_COMMAND) + " --install " + Quote(BUILD_DIR) + " --prefix " + Quote(prefix_)
                               + " --component thumbnailer >/dev/null")
                                  .c_str()),
                  0);
        std::ifstream entry(prefix_ + "/share/thumbnailers/orbisk.thumbnailer");
        for (std::string line, group; std::getline(entry, line);) {
            group = line.starts_with("[") ? line : group;
            const auto equals = line.find('=');
            if (group != "[Thumbnailer Entry]" || line.starts_with("#") || equals == std::string::npos)
                continue;
            const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
            (key == "Exec" ? exec_ : key == "TryExec" ? tryExec_ : key == "MimeType" ? mimeTypes_ : other) = value;
        }
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(prefix_); }

    void SetUp() override
    {
        dir_ = prefix_ + "/files-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir_);
    }

    // The Exec line's words, each field code replaced by one whole argument;
    // the program is found through PATH, which holds the prefix's bin/ only.
    // `exec` stands in for the entry's own line.
    int Thumbnail(const std::string& input, int size, const std::string& output, std::string exec = {}) const
    {
        const std::string uri = "file://" + QByteArray::fromStdString(input).toPercentEncoding("/").toStdString();
        std::string command = "PATH=" + Quote(prefix_ + "/bin");
        std::string word;
        for (const char c : (exec.empty() ? exec_ : exec) + " ") {
            if (c != ' ') {
                word += c;
            } else if (!word.empty()) {
                const std::string code = word.size() == 2 && word[0] == '%' ? word.substr(1) : "";
                command += " "
                    + Quote(code == "s"   ? std::to_string(size)
                                : code == "i" ? input
                                : code == "u" ? uri
                                : code == "o" ? output
                                              : word);
                word.clear();
            }
        }
        const int status = std::system((command + " 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string F(const std::string& name) const { return dir_ + "/" + name; }

    static inline std::string prefix_, exec_, tryExec_, mimeTypes_, other;
    std::string dir_;
};

} // namespace

TEST_F(Thumbnailer, EntryNamesTheProgramAndTheTypesOfTheFilesItReads)
{
    EXPECT_TRUE(std::filesystem::exists(prefix_ + "/bin/" + tryExec_)) << tryExec_;
    // The types the shared MIME database gives such files, as file managers
    // look them up.
    const std::vector<std::pair<std::string, Bytes>> files {
        { "app.exe", PeFile(Groups(1, kImages)) },        { "lib.dll", PeFile(Groups(1, kImages), PeKind::Pe32Plus) },
        { "icons.icl", NeFile(Groups(1, kImages)) },      { "a.ico", IcoFile(kImages) },
        { "a.cur", CurFile({ kImages[1] }) },
    };
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteFile(F(name), bytes));
        const QString type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(F(name))).name();
        EXPECT_TRUE(QString::fromStdString(mimeTypes_).split(';').contains(type)) << name << " is " << type.toStdString();
    }
}

TEST_F(Thumbnailer, DrawsFromTheSmallestImageAtLeastTheSizeElseTheLargest)
{
    ASSERT_TRUE(WriteFile(F("app.exe"), PeFile(Groups(1, kImages))));
    const std::vector<std::pair<int, std::vector<uint32_t>>> cases {
        { 16, ExpectedPixels(kImages[0]) },   { 32, ExpectedPixels(kImages[1]) },
        { 48, ExpectedPixels(kImages[2]) },   { 128, Halved(kPng256) },
        { 256, ExpectedPixels(kPng256) },     { 1024, ExpectedPixels(kPng256) }, // never enlarged
    };
    for (const auto& [size, expected] : cases) {
        const std::string out = F(std::to_string(size) + ".png");
        ASSERT_EQ(Thumbnail(F("app.exe"), size, out), 0) << size;
        EXPECT_TRUE(QImage(QString::fromStdString(out)).hasAlphaChannel());
        EXPECT_EQ(Pixels(out), expected) << size;
    }

    // Between sizes, the next larger image is scaled down, keeping its shape;
    // icon files, cursor files and icon libraries alike.
    const ImageSpec red { .width = 64, .height = 32, .bits = 24, .pixel = [](int, int) { return 0xffff0000u; } };
    const ImageSpec blue { .width = 256, .height = 256, .pixel = [](int, int) { return 0xff0000ffu; }, .png = true };
    ASSERT_TRUE(WriteFile(F("a.ico"), IcoFile({ blue, red })));
    ASSERT_EQ(Thumbnail(F("a.ico"), 48, F("ico.png")), 0);
    EXPECT_EQ(Pixels(F("ico.png")), std::vector<uint32_t>(48 * 24, 0xffff0000u));
    ASSERT_TRUE(WriteFile(F("a.cur"), CurFile({ kImages[1] }, 3, 4)));
    ASSERT_EQ(Thumbnail(F("a.cur"), 256, F("cur.png")), 0);
    EXPECT_EQ(Pixels(F("cur.png")), ExpectedPixels(kImages[1]));
    ASSERT_TRUE(WriteFile(F("a.icl"), NeFile(Groups(1, kImages))));
    ASSERT_EQ(Thumbnail(F("a.icl"), 48, F("icl.png")), 0);
    EXPECT_EQ(Pixels(F("icl.png")), ExpectedPixels(kImages[2]));

    // Icon 0 is numbered as a scan numbers it: a first group whose images
    // are all missing gives none.
    std::vector<GroupSpec> groups = Groups(2, { kImages[1] });
    groups[0].images = {};
    groups[0].missingIcons = { 90, 91 };
    ASSERT_TRUE(WriteFile(F("second.exe"), PeFile(groups)));
    ASSERT_EQ(Thumbnail(F("second.exe"), 32, F("second.png")), 0);
    EXPECT_EQ(Pixels(F("second.png")).size(), 32u * 32u);
}

TEST_F(Thumbnailer, ReadsFileUrisToTheNamesExactBytes)
{
    const std::string name = F("my icons %41 \xe9.ico");
    ASSERT_TRUE(WriteFile(name, IcoFile({ kImages[1] })));
    std::string exec = exec_;
    exec.replace(exec.find("%i"), 2, "%u");
    ASSERT_EQ(Thumbnail(name, 32, F("out.png"), exec), 0);
    EXPECT_EQ(Pixels(F("out.png")), ExpectedPixels(kImages[1]));
}

TEST_F(Thumbnailer, WritesNothingForAFileWithoutAnIcon)
{
    const Bytes program = PeFile(Groups(2, kImages)), ico = IcoFile({ kImages[2] });
    const std::vector<std::pair<std::string, Bytes>> files {
        { "text.exe", Bytes { 'h', 'i' } },
        { "empty.ico", Bytes {} },
        { "cut.exe", Bytes(program.begin(), program.begin() + 700) },
        { "cut.ico", Bytes(ico.begin(), ico.end() - 1000) },
    };
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteFile(F(name), bytes));
        EXPECT_EQ(Thumbnail(F(name), 128, F(name + ".png")), 1) << name;
    }
    EXPECT_EQ(Thumbnail(dir_, 128, F("folder.png")), 1);
    ASSERT_TRUE(WriteFile(F("app.exe"), program));
    EXPECT_EQ(Thumbnail(F("app.exe"), 128, F("no/such/folder/out.png")), 1);
    EXPECT_EQ(Thumbnail(F("app.exe"), 0, F("zero.png")), 2);
    // Not even an empty file, nor a temporary one, is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        EXPECT_NE(entry.path().extension(), ".png") << entry.path();
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
}
