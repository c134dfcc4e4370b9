#include "export/DragFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace orbisk;

namespace {

bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

bool Touch(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

// A run that ends without removing its folder (killed, crashed) leaves it to
// the next start; a folder still held by a running program, a link under a
// folder's name and other names stay.
TEST(DragFolder, TheNextStartRemovesOnlyFoldersNoRunningProgramHolds)
{
    QTemporaryDir parentDir, elsewhereDir;
    ASSERT_TRUE(parentDir.isValid() && elsewhereDir.isValid());
    const std::string parent = parentDir.path().toStdString();
    const std::string elsewhere = elsewhereDir.path().toStdString();

    // A run that ends at once, its folder and a drag's file left behind.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DragFolder crashed(parent);
        const auto drag = crashed.NewDrag();
        ::_exit(drag && Touch(*drag + "/icon.ico") ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(QDir(parentDir.path()).entryList({ "orbisk-drag-*" }, QDir::Dirs).size(), 1);

    auto live = std::make_unique<DragFolder>(parent);
    const auto drag = live->NewDrag();
    ASSERT_TRUE(drag && Touch(*drag + "/icon.ico"));
    ASSERT_TRUE(Touch(elsewhere + "/keep.ico"));
    ASSERT_EQ(::symlink(elsewhere.c_str(), (parent + "/orbisk-drag-linked").c_str()), 0);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(parent + "/orbisk-drag-other-name")));

    EXPECT_EQ(RemoveStaleDragFolders(parent), 1);
    EXPECT_TRUE(Exists(*drag + "/icon.ico"));
    EXPECT_TRUE(Exists(elsewhere + "/keep.ico"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(parent + "/orbisk-drag-linked")).isSymLink());
    EXPECT_EQ(QDir(parentDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 3);

    // A second drag of the run gets a folder of its own; the run's folder
    // goes with the object.
    const auto next = live->NewDrag();
    ASSERT_TRUE(next);
    EXPECT_NE(*next, *drag);
    const std::string own = live->Path();
    live.reset();
    EXPECT_FALSE(Exists(own));
}
