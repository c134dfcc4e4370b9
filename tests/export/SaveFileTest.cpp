#include "TestIcons.h"

#include "export/BitmapExport.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

using Writer = std::function<void(const TafIcon&, const std::string&)>;
const std::pair<const char*, Writer> writers[] = {
    { "icon", [](const TafIcon& i, const std::string& n) { TafIcon::WriteIconFile(i, n, TrueColor32); } },
    { "bitmap", [](const TafIcon& i, const std::string& n) { WriteBitmapFile(i, n, 32); } },
};

// The error's message, or "" when none was raised. With a size limit the
// writer runs in a child process whose files cannot grow past it, so a write
// stores fewer bytes than asked, as on a full disk.
std::string Message(const Writer& write, const TafIcon& icon, const std::string& name, rlim_t limit = 0)
{
    const auto run = [&]() -> std::string {
        try {
            write(icon, name);
        } catch (const Exception& e) {
            return e.what();
        }
        return "";
    };
    if (limit == 0)
        return run();
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    if (fork() == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl { limit, limit };
        setrlimit(RLIMIT_FSIZE, &rl);
        const std::string m = run();
        (void)!::write(fds[1], m.data(), m.size());
        _exit(0);
    }
    close(fds[1]);
    std::string m;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        m.append(buf, std::size_t(n));
    close(fds[0]);
    wait(nullptr);
    return m;
}

void Put(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

QStringList Entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QImage Drawn(const TafIcon& icon)
{
    QImage canvas(32, 32, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    icon.Draw(painter, 0, 0);
    return canvas;
}

class SaveFile : public ::testing::Test {
protected:
    void SetUp() override { icon_.SetHandle(owned_.get()); }
    std::string Path(const char* name) const { return dir_.path().toStdString() + "/" + name; }

    QTemporaryDir dir_;
    UniqueIcon owned_ = CheckerIcon();
    TafIcon icon_;
};

} // namespace

TEST_F(SaveFile, UnwritableNameCreatesNothing)
{
    QDir(dir_.path()).mkdir("folder");
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        for (const std::string& name : { Path("missing/icon1.ico"), Path("folder"), std::string("/dev/null") })
            EXPECT_EQ(Message(write, icon_, name), "Cannot create file " + name);
        EXPECT_EQ(Entries(dir_), QStringList { "folder" });
    }
}

TEST_F(SaveFile, ReplacesAFileKeepingItsPermissionsAndLinks)
{
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        Put(Path("a.ico"), "old");
        chmod(Path("a.ico").c_str(), 0640);
        ASSERT_EQ(symlink("a.ico", Path("link.ico").c_str()), 0);
        ASSERT_EQ(link(Path("a.ico").c_str(), Path("hard.ico").c_str()), 0);
        write(icon_, Path("link.ico"));
        EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("link.ico"))).isSymLink());
        const std::size_t size = std::string(kind) == "icon" ? 4286u : 4150u;
        EXPECT_EQ(ReadAll(Path("a.ico")).size(), size);
        EXPECT_EQ(ReadAll(Path("hard.ico")).size(), size); // still the same file
        struct stat st {};
        stat(Path("a.ico").c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        unlink(Path("link.ico").c_str());
        unlink(Path("hard.ico").c_str());
        EXPECT_EQ(Entries(dir_), QStringList { "a.ico" }); // no temporary file left
    }
}

TEST_F(SaveFile, FailedWriteLeavesTheOldFileWhole)
{
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        Put(Path("icon1.ico"), "precious");
        EXPECT_EQ(Message(write, icon_, Path("icon1.ico"), 1000), "Stream write error");
        EXPECT_EQ(Message(write, icon_, Path("icon2.ico"), 1000), "Stream write error");
        EXPECT_EQ(Message(write, TafIcon {}, Path("icon1.ico")), "Bitmap image is not valid");
        const auto kept = ReadAll(Path("icon1.ico"));
        EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
        EXPECT_EQ(Entries(dir_), QStringList { "icon1.ico" }); // no partial or temporary file
    }
}

TEST_F(SaveFile, HandleStillDrawsAfterEverySave)
{
    const long live = LiveIconCount();
    const QImage before = Drawn(icon_);
    EXPECT_EQ(before.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(before.pixel(2, 3), qRgb(255, 0, 0));
    for (int32_t count : { 2, 16, 256, 65536, 16777216 })
        TafIcon::WriteIconFile(icon_, Path("ok"), count);
    for (const auto& [kind, write] : writers) {
        write(icon_, Path("ok"));
        Message(write, icon_, Path("missing/x"));
        Message(write, icon_, Path("short"), 100);
        EXPECT_EQ(Drawn(icon_), before) << kind;
    }
    EXPECT_EQ(icon_.Width(), 32);
    EXPECT_EQ(icon_.ReleaseHandle(), owned_.get());
    EXPECT_EQ(icon_.Width(), 0);
    EXPECT_EQ(Drawn(icon_), Drawn(TafIcon {})); // empty: draws nothing
    EXPECT_EQ(LiveIconCount(), live);
}
