#include "export/DragFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

    // Left by a run that crashed: nothing holds it.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(parent + "/orbisk-drag-a1b2c3/1")));
    ASSERT_TRUE(Touch(parent + "/orbisk-drag-a1b2c3/1/icon.ico"));

    DragFolder live(parent);
    const auto drag = live.NewDrag();
    ASSERT_TRUE(drag && Touch(*drag + "/icon.ico"));
    ASSERT_TRUE(Touch(elsewhere + "/keep.ico"));
    ASSERT_EQ(::symlink(elsewhere.c_str(), (parent + "/orbisk-drag-linked").c_str()), 0);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(parent + "/orbisk-drag-other-name")));

    EXPECT_EQ(RemoveStaleDragFolders(parent), 1);
    EXPECT_TRUE(Exists(*drag + "/icon.ico"));
    EXPECT_TRUE(Exists(elsewhere + "/keep.ico"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(parent + "/orbisk-drag-linked")).isSymLink());
    EXPECT_EQ(QDir(parentDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 3);
}
