#include "fixtures/PaintedIcon.h"
#include "TestIcons.h"

#include "export/BatchFileNames.h"
#include "export/BatchSave.h"
#include "export/SaveColors.h"
#include "platform/extract/ExtractIcon.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <fstream>
#include <sys/stat.h>

using namespace orbisk;
using namespace orbisk::test;
namespace fs = std::filesystem;

namespace {

// What the progress dialog was told: each kind of report once per run of
// that kind ("max 3 steps 3 errors close"), and the error boxes.
struct RecordingView : SaveMarkedView {
    std::string reports;
    std::vector<std::string> errorBoxes;
    std::size_t steps = 0;
    void SetProgressMax(std::size_t m) override { reports += "max " + std::to_string(m) + " "; }
    void StepProgress(std::size_t s) override
    {
        if (steps == 0)
            reports += "steps ";
        steps += s;
    }
    void ShowErrors(const std::string& text) override
    {
        reports += "errors ";
        errorBoxes.push_back(text);
    }
    void CloseRequest() override { reports += "close"; }
};


uint32_t ColorOf(int i) { return 0xff000000u | uint32_t(i * 20) << 16 | uint32_t(255 - i * 20); }

class BatchSaveTest : public ::testing::Test {
protected:
    fs::path root_ = fs::temp_directory_path() / ("orbisk-batch-" + std::to_string(::getpid()));
    fs::path out_ = root_ / "out";
    FolderList folders_;
    TfileList files_;
    TIconList icons_;
    RecordingView view_;
    BatchSave batch_ { view_ };

    void SetUp() override
    {
        fs::create_directories(out_);
        folders_.emplace_back(root_.string() + "/src");
        files_.emplace_back(FileListRec { 0, "app.exe" });
        for (int i = 0; i < 10; ++i)
            icons_.Append(0, i, SolidIcon(ColorOf(i)));
    }
    void TearDown() override
    {
        batch_.Stop();
        fs::remove_all(root_);
    }
    void Mark(std::initializer_list<int> indexes)
    {
        for (int i : indexes)
            icons_.MarkIcon(std::size_t(i));
    }
    void Run(std::string folder, int saveFileExt = 0, int32_t colorCount = TrueColor32,
        std::function<std::error_code(const NumberedFileWriter&)> makeDurable = {})
    {
        batch_.Start({ std::move(folder), saveFileExt, colorCount, 32, {}, std::move(makeDurable) }, icons_, files_,
            folders_);
        ASSERT_TRUE(batch_.WaitForBatch(std::chrono::seconds(30)));
    }
    std::string Source(int i) const { return root_.string() + "/src/app.exe #" + std::to_string(i); }
    std::vector<std::string> Entries(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The colour in the middle of the icon file, as the extractor reads it.
    uint32_t SavedColor(const fs::path& file) const
    {
        const UniqueIcon icon(ExtractIcon(file.string(), 0));
        return icon ? icon->Pixel(16, 16) : 0;
    }
};

} // namespace

TEST_F(BatchSaveTest, MarkedIconsAreNumberedInListOrderAndUnmarked)
{
    Mark({ 2, 7, 9 });
    Run(out_.string());
    EXPECT_EQ(Entries(out_), (std::vector<std::string> { "icon1.ico", "icon2.ico", "icon3.ico" }));
    EXPECT_EQ(SavedColor(out_ / "icon1.ico"), ColorOf(2));
    EXPECT_EQ(SavedColor(out_ / "icon2.ico"), ColorOf(7));
    EXPECT_EQ(SavedColor(out_ / "icon3.ico"), ColorOf(9));
    EXPECT_EQ(view_.reports, "max 3 steps close");
    EXPECT_EQ(view_.steps, 3u);
    EXPECT_FALSE(icons_.AnyIconMarked());
}

TEST_F(BatchSaveTest, AFailedWriteIsOneLineAndLeavesNoPartialFile)
{
    Mark({ 1, 4, 6 });
    fs::path decoy = out_ / "icon3.ico";
    std::ofstream(decoy) << "replaced without a question";
    int call = 0;
    batch_.SetWriter([&call](OutputStream& stream, const TafIcon& icon) {
        TafIcon::WriteIconStream(stream, icon.Handle(), TrueColor32);
        if (++call == 2)
            throw EWriteError();
    });
    Run(out_.string());
    EXPECT_EQ(Entries(out_), (std::vector<std::string> { "icon1.ico", "icon3.ico" }));
    EXPECT_EQ(SavedColor(out_ / "icon1.ico"), ColorOf(1));
    EXPECT_EQ(SavedColor(out_ / "icon3.ico"), ColorOf(6));
    ASSERT_EQ(view_.errorBoxes.size(), 1u);
    EXPECT_EQ(view_.errorBoxes[0], "Error saving " + Source(4) + " to " + out_.string() + "/icon2.ico\n");
    EXPECT_EQ(view_.reports, "max 3 steps errors close");
    EXPECT_EQ(view_.steps, 3u);
    EXPECT_FALSE(icons_.AnyIconMarked());
}

// Every icon fails, each with its own line, and every mark is cleared.
TEST_F(BatchSaveTest, ADestinationThatCannotTakeFilesFailsEveryIcon)
{
    std::ofstream(root_ / "a-file") << "x";
    const std::pair<std::string, int> cases[] = {
        { (root_ / "never-created").string(), 0 },
        { (root_ / "a-file").string(), 1 },
        { out_.string(), 5 }, // a format the batch does not know
    };
    for (const auto& [folder, saveFileExt] : cases) {
        SCOPED_TRACE(folder + " " + std::to_string(saveFileExt));
        view_ = {};
        Mark({ 0, 3 });
        Run(folder, saveFileExt);
        const char* ext = SaveFileExtension(SaveFormat(saveFileExt));
        std::string lines;
        int n = 1;
        for (int i : { 0, 3 })
            lines += "Error saving " + Source(i) + " to " + folder + "/icon" + std::to_string(n++) + (ext ? ext : "")
                + "\n";
        EXPECT_EQ(view_.errorBoxes, (std::vector<std::string> { lines }));
        EXPECT_FALSE(icons_.AnyIconMarked());
        EXPECT_TRUE(Entries(out_).empty());
    }
}

// A link planted under a name the batch writes (to a file, or to a name
// that does not exist yet), a FIFO or a folder: nothing is written through
// it, each gets its line, the other icons are saved.
TEST_F(BatchSaveTest, NamesThatAreNotPlainFilesAreLeftAlone)
{
    const fs::path victim = root_ / ".bashrc";
    std::ofstream(victim) << "keep";
    fs::create_symlink("../.bashrc", out_ / "icon1.ico");
    fs::create_symlink("../created", out_ / "icon2.ico");
    fs::create_directory(out_ / "icon3.ico");
    ASSERT_EQ(::mkfifo((out_ / "icon4.ico").c_str(), 0600), 0);
    Mark({ 0, 1, 2, 3, 4 });
    Run(out_.string());

    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    EXPECT_FALSE(fs::exists(root_ / "created"));
    EXPECT_TRUE(fs::is_symlink(out_ / "icon1.ico"));
    EXPECT_TRUE(fs::is_directory(out_ / "icon3.ico"));
    EXPECT_TRUE(fs::is_fifo(out_ / "icon4.ico"));
    EXPECT_EQ(SavedColor(out_ / "icon5.ico"), ColorOf(4));
    std::string lines;
    for (int i = 0; i < 4; ++i)
        lines += "Error saving " + Source(i) + " to " + out_.string() + "/icon" + std::to_string(i + 1) + ".ico\n";
    EXPECT_EQ(view_.errorBoxes, (std::vector<std::string> { lines }));
    EXPECT_FALSE(icons_.AnyIconMarked());
}

// The files stand under their names before the sync that makes them
// durable; when it fails they may be lost, and the user is told.
TEST_F(BatchSaveTest, AFailedFinalSyncIsReportedNotTakenForSuccess)
{
    Mark({ 0, 2 });
    int syncs = 0;
    Run(out_.string(), 0, TrueColor32, [&syncs](const NumberedFileWriter& files) {
        ++syncs;
        EXPECT_TRUE(files.WroteAny());
        return std::make_error_code(std::errc::io_error);
    });
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(view_.errorBoxes,
        (std::vector<std::string> { "Error writing icons to " + out_.string() + ": Input/output error\n" }));
    EXPECT_EQ(view_.reports, "max 2 steps errors close");
}

TEST_F(BatchSaveTest, BitmapsAreTheSameAtEveryColourDepth)
{
    Mark({ 0, 1 });
    Run(out_.string(), 1, 16);
    EXPECT_EQ(Entries(out_), (std::vector<std::string> { "icon1.bmp", "icon2.bmp" }));
    const auto at16 = ReadAll((out_ / "icon2.bmp").string());
    Mark({ 0, 1 });
    Run(out_.string(), 1, TrueColor32);
    EXPECT_EQ(ReadAll((out_ / "icon2.bmp").string()), at16);
    ASSERT_GE(at16.size(), 2u);
    EXPECT_EQ(at16[0], 'B');
}

// The dialog waits for the close request whatever happened before.
TEST_F(BatchSaveTest, NothingMarkedStillClosesTheDialog)
{
    Run(out_.string());
    EXPECT_EQ(view_.reports, "close");
    EXPECT_TRUE(Entries(out_).empty());
}

TEST_F(BatchSaveTest, NamesThatAreNotUtf8ArePassedAsTheyAre)
{
    const std::string folder = out_.string() + "/bad\xff\xfe";
    fs::create_directory(folder);
    files_.emplace_back(FileListRec { 0, "odd\xc3(.dll" });
    icons_.Append(1, 4, SolidIcon(ColorOf(4)));
    icons_.MarkIcon(icons_.size() - 1);
    Run(folder);
    EXPECT_EQ(SavedColor(folder + "/icon1.ico"), ColorOf(4));
    view_ = {};
    icons_.MarkIcon(icons_.size() - 1);
    Run(folder + "/missing");
    EXPECT_EQ(view_.errorBoxes, (std::vector<std::string> { "Error saving " + root_.string() + "/src/odd\xc3(.dll #4 to "
                                                             + folder + "/missing/icon1.ico\n" }));
}

TEST(BatchFileNames, TheRootTakesNoSecondSeparator)
{
    EXPECT_EQ(BatchSaveFileName("/", 1, ".ico"), "/icon1.ico");
    EXPECT_EQ(BatchSaveFileName("/out/", 12, ".bmp"), "/out/icon12.bmp");
}

// A destination that stops answering mid-batch: Stop returns without it,
// the dialog is asked to close, and once the write returns the worker
// neither clears a mark nor reports anything, even with the lists gone.
TEST_F(BatchSaveTest, ABatchStuckInAWriteIsLeftBehindAndTouchesNothingAfter)
{
    auto lists = std::make_unique<TIconList>();
    for (int i = 0; i < 4; ++i)
        lists->Append(0, i, SolidIcon(ColorOf(i)));
    for (std::size_t i = 0; i < 4; ++i)
        lists->MarkIcon(i);
    std::mutex mutex;
    std::condition_variable changed;
    int writes = 0;
    bool answer = false;
    batch_.SetWriter([&](OutputStream& stream, const TafIcon&) {
        std::unique_lock lock(mutex);
        if (++writes == 2) {
            changed.notify_all();
            changed.wait(lock, [&] { return answer; });
        }
        stream.WriteBuffer("x", 1);
    });
    batch_.Start({ out_.string(), 0, TrueColor32, 32, {}, {} }, *lists, files_, folders_);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return writes == 2; }));
    }
    batch_.Stop();
    EXPECT_FALSE(batch_.Running());
    EXPECT_EQ(Job::LeftBehind(), 1);
    EXPECT_EQ(view_.reports.substr(view_.reports.size() - 5), "close");
    const std::string shown = view_.reports;
    EXPECT_FALSE((*lists)[0].Marked.load()); // handled before the stall
    EXPECT_TRUE((*lists)[1].Marked.load() && (*lists)[2].Marked.load());
    lists.reset(); // a new scan drops the window's lists
    {
        const std::lock_guard lock(mutex);
        answer = true;
        changed.notify_all();
    }
    for (int i = 0; i < 1000 && Job::LeftBehind() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Job::LeftBehind(), 0);
    batch_.DeliverReports();
    EXPECT_EQ(view_.reports, shown);
    EXPECT_EQ(writes, 2);
}
