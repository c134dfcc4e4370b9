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
    { "icon", [](const TafIcon& i, const std::string& n) { TafIcon::WriteIconFile(i, n); } },
    { "bitmap", [](const TafIcon& i, const std::string& n) { WriteBitmapFile(i, n); } },
};

std::string Message(const Writer& write, const TafIcon& icon, const std::string& name)
{
    try {
        write(icon, name);
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

void Put(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

std::string Text(const std::string& path)
{
    const auto b = ReadAll(path);
    return std::string(b.begin(), b.end());
}

QStringList Entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs the writer in a child process whose files may not grow past `limit`
// bytes (the write stores fewer bytes than asked, as on a full disk);
// returns the error's message, or "" when none was raised.
std::string MessageUnderSizeLimit(const Writer& write, const TafIcon& icon, const std::string& name, rlim_t limit)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl { limit, limit };
        setrlimit(RLIMIT_FSIZE, &rl);
        const std::string m = Message(write, icon, name);
        (void)!::write(pipeFds[1], m.data(), m.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string m;
    char buf[256];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;)
        m.append(buf, std::size_t(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return m;
}

QImage Drawn(const TafIcon& icon)
{
    QImage canvas(32, 32, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    icon.Draw(painter, 0, 0);
    return canvas;
}

} // namespace

TEST(SaveFile, MissingFolderOrUnwritableNameCreatesNothing)
{
    QTemporaryDir dir;
    UniqueIcon owned = CheckerIcon();
    TafIcon icon;
    icon.SetHandle(owned.get());
    QDir(dir.path()).mkdir("folder");
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        const std::string missing = dir.path().toStdString() + "/missing/icon1.ico";
        EXPECT_EQ(Message(write, icon, missing), "Cannot create file " + missing);
        const std::string folder = dir.path().toStdString() + "/folder";
        EXPECT_EQ(Message(write, icon, folder), "Cannot create file " + folder);
        EXPECT_EQ(Message(write, icon, "/dev/null"), "Cannot create file /dev/null");
        EXPECT_EQ(Entries(dir), QStringList { "folder" });
    }
    EXPECT_EQ(icon.ReleaseHandle(), owned.get());
}

TEST(SaveFile, ReplacesAFileKeepingItsPermissionsAndLinks)
{
    QTemporaryDir dir;
    UniqueIcon owned = CheckerIcon();
    TafIcon icon;
    icon.SetHandle(owned.get());
    SaveColorCount = TrueColor32;
    const std::string target = dir.path().toStdString() + "/a.ico";
    const std::string link = dir.path().toStdString() + "/link.ico";
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        Put(target, "old");
        chmod(target.c_str(), 0640);
        write(icon, target);
        EXPECT_EQ(ReadAll(target).size(), std::string(kind) == "icon" ? 4286u : 4150u);
        struct stat st {};
        stat(target.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0640u);

        Put(target, "old");
        ASSERT_EQ(symlink("a.ico", link.c_str()), 0);
        write(icon, link);
        EXPECT_TRUE(QFileInfo(QString::fromStdString(link)).isSymLink());
        EXPECT_GT(ReadAll(target).size(), 4000u);
        unlink(link.c_str());
        EXPECT_EQ(Entries(dir), QStringList { "a.ico" }); // no temporary file left
    }
    icon.ReleaseHandle();
}

TEST(SaveFile, FailedWriteLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    UniqueIcon owned = CheckerIcon();
    TafIcon icon;
    icon.SetHandle(owned.get());
    SaveColorCount = TrueColor32;
    const std::string target = dir.path().toStdString() + "/icon1.ico";
    const std::string fresh = dir.path().toStdString() + "/icon2.ico";
    for (const auto& [kind, write] : writers) {
        SCOPED_TRACE(kind);
        Put(target, "precious");
        EXPECT_EQ(MessageUnderSizeLimit(write, icon, target, 1000), "Stream write error");
        EXPECT_EQ(MessageUnderSizeLimit(write, icon, fresh, 1000), "Stream write error");
        TafIcon empty;
        EXPECT_EQ(Message(write, empty, target), "Bitmap image is not valid");
        EXPECT_EQ(Text(target), "precious");
        EXPECT_EQ(Entries(dir), QStringList { "icon1.ico" }); // no partial or temporary file
    }
    icon.ReleaseHandle();
}

TEST(SaveFile, HandleStillDrawsAfterEverySave)
{
    QTemporaryDir dir;
    const long live = LiveIconCount();
    UniqueIcon owned = CheckerIcon();
    TafIcon icon;
    EXPECT_EQ(icon.Width(), 0);
    icon.SetHandle(owned.get());
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
    const QImage before = Drawn(icon);
    EXPECT_EQ(before.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(before.pixel(2, 2), qRgb(255, 0, 0));
    for (const auto& [kind, write] : writers) {
        for (int32_t count : { 2, 16, 256, 65536, 16777216, TrueColor32 }) {
            SaveColorCount = count;
            write(icon, dir.path().toStdString() + "/ok");
            Message(write, icon, dir.path().toStdString() + "/missing/x");
            MessageUnderSizeLimit(write, icon, dir.path().toStdString() + "/short", 100);
        }
        EXPECT_EQ(Drawn(icon), before) << kind;
    }
    EXPECT_EQ(icon.ReleaseHandle(), owned.get());
    EXPECT_TRUE(icon.Empty());
    QImage white(32, 32, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(Drawn(icon), white); // an empty object draws nothing
    owned.reset();
    EXPECT_EQ(LiveIconCount(), live);
    SaveColorCount = TrueColor32;
}
