#include "core/ExtractIcons.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

using namespace orbisk;
using orbisk::test::FakeExtractor;

// Runs the extraction on this thread so the texts can be read between files.
TEST(ExtractIcons, AsksEachFileUntilNoIconAndReportsProgressPerFile)
{
    const long base = LiveIconCount();
    FolderList folders;
    folders.emplace_back("/f");
    TfileList files;
    for (const char* name : { "five5.exe", "none.ico", "two2.dll", "one1.ico" })
        files.emplace_back(FileListRec { 0, name });
    TIconList icons;
    ScanMailbox mailbox;
    mailbox.PublishGridClientSize(111, 37); // 3 x 1 cells visible
    const std::atomic<bool> stopped { false };

    FakeExtractor extract;
    std::vector<std::string> progressAtFileStart;
    extract.beforeReturn = [&](const std::string&, int n) {
        if (n == 0) {
            const ScanMailbox::Batch b = mailbox.Take();
            progressAtFileStart.push_back(b.panels[1].value_or("") + "|" + b.panels[2].value_or(""));
        }
    };
    ScanJob job { "/f", false, false, "*", { extract.Fn(), {} } };
    ExtractIcons(job, folders, files, icons, mailbox, stopped);

    EXPECT_EQ(progressAtFileStart,
        (std::vector<std::string> { "|", "0%|/f/five5.exe", "25%|/f/none.ico", "50%|/f/two2.dll" }));
    const std::vector<std::string> calls = extract.Calls();
    EXPECT_EQ(calls.size(), 6u + 1 + 3 + 2);
    EXPECT_EQ(calls[5], "/f/five5.exe #5");
    ASSERT_EQ(icons.size(), 8u);
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(icons[std::size_t(n)].IconIndex, n);
    EXPECT_EQ(icons[5].FileIndex, 2);
    EXPECT_EQ(icons[7].FileIndex, 3);
    EXPECT_EQ(icons[7].IconIndex, 0);

    const ScanMailbox::Batch end = mailbox.Take();
    EXPECT_EQ(end.panels[1].value_or("<none>"), "8 icon(s) loaded");
    EXPECT_EQ(end.panels[2].value_or("<none>"), "");
    icons.Clear();
    EXPECT_EQ(LiveIconCount(), base);
}

TEST(ExtractIcons, NoFilesEndsAtZeroIconsAndGrowsOnlyWhatFits)
{
    FolderList folders;
    folders.emplace_back("/f");
    TfileList files;
    TIconList icons;
    ScanMailbox mailbox;
    const std::atomic<bool> stopped { false };
    FakeExtractor extract;
    ScanJob job { "/f", false, false, "*", { extract.Fn(), {} } };
    ExtractIcons(job, folders, files, icons, mailbox, stopped);
    ScanMailbox::Batch end = mailbox.Take();
    EXPECT_EQ(end.panels[1].value_or("<none>"), "0 icon(s) loaded");
    EXPECT_EQ(end.panels[2].value_or("<none>"), "");

    files.emplace_back(FileListRec { 0, "many9.ico" });
    mailbox.PublishGridClientSize(80, 80); // 2 x 2 cells
    ExtractIcons(job, folders, files, icons, mailbox, stopped);
    end = mailbox.Take();
    std::vector<long long> grows;
    for (const ScanMailbox::Update& u : end.updates) {
        EXPECT_EQ(u.kind, ScanMailbox::Update::Grow);
        EXPECT_EQ(u.fitColumns, 2);
        grows.push_back(u.iconCount);
    }
    EXPECT_EQ(grows, (std::vector<long long> { 1, 2, 3, 4 }));
}
