#include "core/CollectFiles.h"
#include "core/ExtractIcons.h"
#include "core/ReadAhead.h"
#include "core/ScanEngine.h"
#include "fixtures/Fixtures.h"
#include "platform/extract/ExtractIcon.h"
#include "platform/extract/ExtractLimits.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// Every kind of file a scan meets, in sub-folders: programs, libraries and
// icon libraries, icon, cursor and bitmap files, a damaged program, files
// with no icon, files that cannot be read (a FIFO, a dangling link, a locked
// file), and links to folders (one of them a loop).
void MakeMixedTree(const TempTree& t, int folders)
{
    t.Folder("d0");
    std::filesystem::create_directory_symlink(t.Root(), t.Path("d0/up"));
    std::filesystem::create_directory_symlink(t.Path("d0"), t.Path("toD0"));
    const ImageSpec small { .width = 16, .height = 16, .bits = 4 };
    const ImageSpec large { .pixel = AlphaPattern(2) };
    for (int f = 0; f < folders; ++f) {
        const std::string d = "d" + std::to_string(f % 4) + "/s" + std::to_string(f) + "/";
        t.Folder(d);
        WriteFile(t.Path(d + "lib.dll"), PeFile(Groups(2 + f % 20, { small, large })));
        WriteFile(t.Path(d + "app.exe"), PeFile(Groups(1, { large }), PeKind::Pe32Plus));
        WriteFile(t.Path(d + "lib.icl"), NeFile(Groups(3, { small })));
        WriteFile(t.Path(d + "a.ico"), IcoFile({ small, ImageSpec { .width = 64, .height = 64, .png = true } }));
        WriteFile(t.Path(d + "b.cur"), CurFile({ large }));
        WriteFile(t.Path(d + "c.bmp"), BmpFile(ImageSpec { .width = 40, .height = 20, .bits = 24 }));
        Bytes damaged = PeFile(Groups(3, { small }));
        damaged.resize(damaged.size() / 2);
        WriteFile(t.Path(d + "damaged.dll"), damaged);
        WriteFile(t.Path(d + "notes.txt"), Bytes(3000, 'x'));
        t.File(d + "empty");
        std::filesystem::create_symlink(t.Path(d + "gone.ico"), t.Path(d + "dangling.ico"));
        ::mkfifo(t.Path(d + "pipe.ico").c_str(), 0600);
        WriteFile(t.Path(d + "locked.ico"), IcoFile({ small }));
        ::chmod(t.Path(d + "locked.ico").c_str(), 0);
    }
}

struct ScanResult {
    std::vector<std::string> folders, files, icons;
    std::vector<std::vector<uint32_t>> pixels;
    bool operator==(const ScanResult&) const = default;
};

ScanResult Scan(const std::string& root, int readers)
{
    RecordingView view;
    ScanEngine engine(view);
    engine.SetWithSub(true);
    engine.SetFileExt("*");
    engine.SetReaderThreads(readers);
    ScanHooks hooks;
    hooks.readAheadAtOnce = true;
    engine.SetHooks(hooks);
    engine.BeginScan(root);
    EXPECT_TRUE(engine.WaitForScan(std::chrono::seconds(60)));
    ScanResult r;
    for (std::size_t i = 0; i < engine.Folders().size(); ++i)
        r.folders.push_back(engine.Folders()[i]);
    for (std::size_t i = 0; i < engine.Files().size(); ++i)
        r.files.push_back(engine.FilePath(i));
    for (std::size_t i = 0; i < engine.Icons().size(); ++i) {
        r.icons.push_back(engine.IconName(i));
        r.pixels.push_back(engine.Icons()[i].Handle->color);
    }
    EXPECT_EQ(view.panels[1], std::to_string(r.icons.size()) + " icon(s) loaded");
    return r;
}

// Waits until the reader threads left behind by earlier tests have ended.
bool ReadersEnd(int expected = 0)
{
    for (int i = 0; i < 1000 && ReaderThreadCount::Live() != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ReaderThreadCount::Live() == expected;
}

} // namespace

TEST(ReadAhead, ParallelScanMatchesTheSerialOneEntryForEntry)
{
    const long handles = LiveIconCount();
    TempTree t;
    MakeMixedTree(t, 24);
    const ScanResult serial = Scan(t.Root(), 0);
    EXPECT_GT(serial.icons.size(), 300u);
    EXPECT_EQ(Scan(t.Root(), DefaultReaderThreads), serial);
    EXPECT_EQ(Scan(t.Root(), 3), serial);
    EXPECT_EQ(LiveIconCount(), handles);

    // Files that vanish or change between the walk and the extraction.
    FolderList folders;
    TfileList files;
    ScanMailbox mailbox;
    const std::atomic<bool> stopped { false };
    CollectFiles(ScanJob { t.Root(), false, true, "*", {} }, folders, files, mailbox, stopped);
    for (int f = 0; f < 24; f += 3) {
        const std::string d = t.Path("d" + std::to_string(f % 4) + "/s" + std::to_string(f) + "/");
        std::filesystem::remove(d + "lib.dll");
        WriteFile(d + "a.ico", PeFile(Groups(4, { ImageSpec {} })));
    }
    auto extract = [&](int readers) {
        TIconList icons;
        ScanJob job { t.Root(), false, true, "*", {}, readers };
        job.hooks.readAheadAtOnce = true;
        ExtractIcons(job, folders, files, icons, mailbox, stopped);
        std::vector<std::pair<int, std::vector<uint32_t>>> out;
        for (std::size_t i = 0; i < icons.size(); ++i)
            out.push_back({ icons[i].FileIndex * 1000 + icons[i].IconIndex, icons[i].Handle->color });
        return out;
    };
    EXPECT_EQ(extract(DefaultReaderThreads), extract(0));
    EXPECT_EQ(LiveIconCount(), handles);
}

// The worker takes a file a reader read before the file was rewritten in
// place or replaced by another: the icons are the new file's.
TEST(ReadAhead, AFileReplacedAfterItWasReadGivesTheNewFilesIcons)
{
    TempTree t;
    const Bytes oldFile = PeFile(Groups(5, { ImageSpec { .pixel = Pattern(1) } }));
    const Bytes newFile = PeFile(Groups(2, { ImageSpec { .pixel = Pattern(7) } }));
    const std::string paths[] { t.Path("inplace.dll"), t.Path("renamed.dll") };
    IconFile prepared[2];
    for (const std::string& p : paths)
        WriteFile(p, oldFile);
    std::thread reader([&] {
        for (int k = 0; k < 2; ++k) {
            prepared[k] = IconFile::Open(paths[k]);
            prepared[k].DecodeAhead(IconsAheadPerFile);
        }
    });
    reader.join();
    WriteFile(paths[0], newFile);
    WriteFile(paths[1] + ".new", newFile);
    std::filesystem::rename(paths[1] + ".new", paths[1]);

    std::vector<std::vector<uint32_t>> want;
    for (int n = 0; UniqueIcon icon = ExtractIconFromBytes(newFile, n, nullptr); ++n)
        want.push_back(icon->color);
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(prepared[k]);
        prepared[k].Refresh();
        std::vector<std::vector<uint32_t>> got;
        for (int n = 0; UniqueIcon icon = prepared[k].Icon(n); ++n)
            got.push_back(icon->color);
        EXPECT_EQ(got, want) << paths[k];
    }
}

// Readers start no item while the items ready hold the byte budget: the
// worker, taking them, lets them go on, and does the items left queued
// itself.
TEST(ReadAhead, ReadersStopAtTheByteBudget)
{
    using Strings = ReadAhead<std::string>;
    constexpr std::size_t items = 100, itemBytes = 10, budget = 30, readers = 2;
    std::atomic<std::size_t> prepared { 0 };
    Strings ahead([&] { return items; }, [](std::size_t k) { return std::to_string(k); },
        [&](const std::string& item) {
            ++prepared;
            return item + "!";
        },
        { int(readers), items, Strings::Start::AtOnce, budget, [](const std::string&) { return itemBytes; } });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (prepared < budget / itemBytes && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Time enough for readers unchecked by the budget to prepare them all.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GE(prepared.load(), budget / itemBytes);
    EXPECT_LE(prepared.load(), budget / itemBytes + readers);
    const std::atomic<bool> stopped { false };
    const std::size_t held = prepared.load();
    for (std::size_t k = 0; k < budget / itemBytes; ++k)
        EXPECT_EQ(ahead.Take(k, stopped), std::to_string(k) + "!");
    const auto resumeDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (prepared <= held && std::chrono::steady_clock::now() < resumeDeadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GT(prepared.load(), held) << "taking items lets the readers go on";
    for (std::size_t k = budget / itemBytes; k < items; ++k) {
        auto item = ahead.Take(k, stopped);
        ASSERT_TRUE(item);
        EXPECT_TRUE(item->empty() || *item == std::to_string(k) + "!");
    }
}

// Groups that name one image share it, however many they are; a file of
// more distinct images than the cap gives the icons of the cap, and the
// scan says so once it has ended.
TEST(ReadAhead, ImagesAreDecodedOncePerFileAndCappedPerFile)
{
    const long handles = LiveIconCount();
    const long images = SharedIconImageCount();
    TempTree t;
    WriteFile(t.Path("crafted.dll"), ManyGroupsOneImagePe());
    WriteFile(t.Path("crafted2.dll"), ManyGroupsOneImagePe());
    const int capped = int(kMaxImagesDecodedPerFile) + 1;
    WriteFile(t.Path("many.dll"), PeFile(DistinctGroups(capped)));
    FolderList folders;
    TfileList files;
    ScanMailbox mailbox;
    const std::atomic<bool> stopped { false };
    CollectFiles(ScanJob { t.Root(), false, false, "*", {} }, folders, files, mailbox, stopped);
    ASSERT_EQ(files.size(), 3u);
    TIconList icons;
    ScanJob job { t.Root(), false, false, "*", {} };
    job.hooks.readAheadAtOnce = true;
    mailbox.Take();
    ExtractIcons(job, folders, files, icons, mailbox, stopped);

    std::map<std::string, std::pair<std::size_t, std::set<HICON>>> byFile;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        auto& [count, pictures] = byFile[files[std::size_t(icons[i].FileIndex)].FileName];
        ++count;
        pictures.insert(icons[i].Handle);
    }
    EXPECT_EQ(byFile["crafted.dll"].first, 65535u);
    EXPECT_EQ(byFile["crafted.dll"].second.size(), 1u);
    EXPECT_EQ(byFile["crafted2.dll"].second, byFile["crafted.dll"].second) << "one picture, one image";
    EXPECT_EQ(byFile["many.dll"].first, std::size_t(kMaxImagesDecodedPerFile));
    EXPECT_EQ(SharedIconImageCount(), images + long(kMaxImagesDecodedPerFile) + 1);
    EXPECT_EQ(LiveIconCount(), handles + long(icons.size()));
    const ScanMailbox::Batch end = mailbox.Take();
    EXPECT_EQ(end.panels[2].value_or(""), "Some icons of " + t.Path("many.dll") + " were left out: too many images");
    icons.Clear();
    EXPECT_EQ(LiveIconCount(), handles);
}

// A reader blocked in a read (a hanging file system) neither holds the
// worker past a stop nor the end past ReaderEndWait; it is left to end by
// itself, on state it shares, and nothing waits for it.
TEST(ReadAhead, AReaderBlockedInAReadIsLeftBehind)
{
    ASSERT_TRUE(ReadersEnd());
    struct Gate {
        std::mutex mutex;
        std::condition_variable cv;
        bool entered = false, open = false;
    };
    auto gate = std::make_shared<Gate>();
    const std::vector<std::string> items { "a", "hang", "c" };
    using Strings = ReadAhead<std::string>;
    const auto start = std::chrono::steady_clock::now();
    {
        Strings ahead([&] { return items.size(); }, [&](std::size_t k) { return items[k]; },
            [gate](const std::string& item) {
                if (item == "hang") {
                    std::unique_lock lock(gate->mutex);
                    gate->entered = true;
                    gate->cv.notify_all();
                    gate->cv.wait(lock, [&] { return gate->open; });
                }
                return item + "!";
            },
            { 2, 3, Strings::Start::AtOnce, 0, {} });
        std::atomic<bool> stopped { false };
        {
            std::unique_lock lock(gate->mutex);
            gate->cv.wait(lock, [&] { return gate->entered; });
        }
        // Readers start items in order, so item 0 has been started too.
        EXPECT_EQ(ahead.Take(0, stopped), "a!");
        stopped = true;
        EXPECT_FALSE(ahead.Take(1, stopped));
        EXPECT_FALSE(ahead.Take(2, stopped));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(ReaderThreadCount::Live(), 1) << "the blocked reader is still there";
    {
        std::lock_guard lock(gate->mutex);
        gate->open = true;
        gate->cv.notify_all();
    }
    EXPECT_TRUE(ReadersEnd()) << "and ends once its read returns";
}

// Starts and stops at every stage of a scan with readers: each stop ends
// the scan with its readers, and every handle is destroyed once.
TEST(ReadAhead, ThousandStartsAndStops)
{
    ASSERT_TRUE(ReadersEnd());
    const long handles = LiveIconCount();
    TempTree t;
    MakeMixedTree(t, 2);
    RecordingView view;
    auto engine = std::make_unique<ScanEngine>(view);
    engine->SetWithSub(true);
    engine->SetFileExt("*");
    ScanHooks hooks;
    hooks.readAheadAtOnce = true;
    engine->SetHooks(hooks);
    for (int cycle = 0; cycle < 1000; ++cycle) {
        engine->BeginScan(t.Root());
        const std::size_t stopAt = std::size_t(cycle % 11) * 3;
        while (engine->ScanRunning() && engine->Icons().size() < stopAt)
            std::this_thread::yield();
        engine->EndScan();
        for (std::size_t i = 0; i < engine->Icons().size(); ++i)
            ASSERT_LT(std::size_t(engine->Icons()[i].FileIndex), engine->Files().size());
    }
    engine.reset();
    EXPECT_EQ(LiveIconCount(), handles);
    EXPECT_TRUE(ReadersEnd());
}

TEST(ReadAhead, ThousandsOfUnreadableFiles)
{
    TempTree t;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = t.Path("f" + std::to_string(i) + ".ico");
        if (i % 2) {
            std::filesystem::create_symlink(name + ".gone", name);
        } else {
            WriteFile(name, IcoFile({ ImageSpec {} }));
            ::chmod(name.c_str(), 0);
        }
    }
    const ScanResult r = Scan(t.Root(), DefaultReaderThreads);
    EXPECT_EQ(r.files.size(), 2000u);
    // root reads any file, so the locked ones give their icon to root only.
    EXPECT_EQ(r.icons.size(), ::geteuid() == 0 ? 1000u : 0u);
}

// Files and folders come, go and change while a scan with readers runs: the
// scan ends, its entries name recorded files, and no handle is lost.
TEST(ReadAhead, ATreeThatChangesWhileItIsRead)
{
    const long handles = LiveIconCount();
    TempTree t;
    MakeMixedTree(t, 8);
    std::atomic<bool> done { false };
    std::thread changer([&] {
        for (int i = 0; !done; ++i) {
            const std::string d = t.Path("d" + std::to_string(i % 4) + "/s" + std::to_string(i % 8));
            std::error_code ec;
            if (i % 3 == 0)
                std::filesystem::remove_all(d, ec);
            else
                WriteFile(d + "/lib.dll", PeFile(Groups(1 + i % 5, { ImageSpec {} })));
            std::filesystem::create_directories(t.Path("new/" + std::to_string(i % 50)), ec);
            WriteFile(t.Path("new/" + std::to_string(i % 50) + "/x.ico"), IcoFile({ ImageSpec {} }));
        }
    });
    for (int scan = 0; scan < 20; ++scan) {
        RecordingView view;
        ScanEngine engine(view);
        engine.SetWithSub(true);
        engine.SetFileExt("*");
        ScanHooks hooks;
        hooks.readAheadAtOnce = true;
        engine.SetHooks(hooks);
        engine.BeginScan(t.Root());
        ASSERT_TRUE(engine.WaitForScan(std::chrono::seconds(60)));
        for (std::size_t i = 0; i < engine.Icons().size(); ++i)
            ASSERT_LT(std::size_t(engine.Icons()[i].FileIndex), engine.Files().size());
    }
    done = true;
    changer.join();
    EXPECT_EQ(LiveIconCount(), handles);
}
