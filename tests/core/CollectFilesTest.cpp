#include "core/CollectFiles.h"
#include "platform/files/NativePath.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

#include <set>

#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;
using orbisk::test::TempTree;

namespace {

// Runs the walk on this thread and keeps what it posted.
struct Walk {
    FolderList folders;
    TfileList files;
    ScanMailbox mailbox;
    ScanMailbox::Batch shown;

    Walk(const std::string& root, bool withSub, std::string fileExt = std::string(DefaultFileExt))
    {
        const std::atomic<bool> stopped { false };
        CollectFiles(ScanJob { root, false, withSub, std::move(fileExt), {} }, folders, files, mailbox, stopped);
        shown = mailbox.Take();
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < files.size(); ++i)
            out.push_back(JoinPath(folders[std::size_t(files[i].FolderIndex)], files[i].FileName));
        return out;
    }
    std::string Panel(int p) const { return shown.panels[std::size_t(p)].value_or("<none>"); }
};

int Depth(const std::string& path, const std::string& root)
{
    return int(std::count(path.begin() + long(root.size()), path.end(), '/'));
}

// The names of one folder's entries in the order the file system lists them.
std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

} // namespace

TEST(CollectFiles, WalksBreadthFirstInListingOrder)
{
    TempTree t;
    for (const char* f : { "r1.ico", "r2.exe", "skip.txt", "A/a1.ico", "A/AA/aa1.dll", "A/AA/aa2.cur", "B/b1.icl",
             "B/BB/bb1.ico", "B/BB/BBB/deep.ico", "C/empty/.keep" })
        t.File(f);
    const Walk w(t.Root(), true);
    const std::vector<std::string> paths = w.Paths();
    ASSERT_EQ(paths.size(), 8u);
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).count(t.Path("B/BB/BBB/deep.ico")), 1u);

    // Level by level: every file of a level before any of the next, and the
    // folders queued likewise.
    for (std::size_t i = 1; i < paths.size(); ++i)
        EXPECT_LE(Depth(paths[i - 1], t.Root()), Depth(paths[i], t.Root())) << paths[i];
    for (std::size_t i = 1; i < w.folders.size(); ++i)
        EXPECT_LE(Depth(w.folders[i - 1], t.Root()), Depth(w.folders[i], t.Root()));
    EXPECT_EQ(w.folders.size(), 8u); // root, A, B, C, AA, BB, empty, BBB
    // Within a folder, files come in listing order; nothing is sorted.
    std::vector<std::string> rootFiles;
    for (const std::string& name : Listing(t.Root()))
        if (name != "skip.txt" && name.find('.') != std::string::npos)
            rootFiles.push_back(name);
    EXPECT_EQ(std::vector<std::string>({ w.files[0].FileName, w.files[1].FileName }), rootFiles);

    EXPECT_EQ(w.Panel(0), "8 files");
    EXPECT_EQ(w.Panel(2), "Scanning " + t.Root());
    ASSERT_EQ(w.shown.updates.size(), 1u);
    EXPECT_EQ(w.shown.updates[0].text, "Folder: " + t.Root());
}

TEST(CollectFiles, WithoutSubfoldersAndWithNothingToTake)
{
    TempTree t;
    for (const char* f : { "a.txt", "b.doc", "noext_folder/x.ico", "dir.ico/y.ico" })
        t.File(f);
    const Walk plain(t.Root(), false);
    EXPECT_TRUE(plain.Paths().empty()); // folders are skipped, not taken as files
    EXPECT_EQ(plain.folders.size(), 1u);
    EXPECT_EQ(plain.Panel(0), "0 files");

    const Walk all(t.Root(), false, "*");
    EXPECT_EQ(all.files.size(), 2u);

    const Walk missing(t.Path("nothing-here"), true);
    EXPECT_EQ(missing.files.size(), 0u);
    EXPECT_EQ(missing.Panel(0), "<none>"); // a folder that yields nothing shows no count
    EXPECT_EQ(missing.Panel(2), "Scanning " + t.Path("nothing-here"));
}

TEST(CollectFiles, LinksLoopsAndSpecialFiles)
{
    TempTree t;
    t.File("a/x.ico");
    t.File("a/b/y.ico");
    std::filesystem::create_directory_symlink(t.Root(), t.Path("a/b/up")); // a loop back to the root
    std::filesystem::create_directory_symlink(t.Path("a"), t.Path("toA"));
    std::filesystem::create_symlink(t.Path("a/x.ico"), t.Path("link.ico")); // a link to a file is a file
    std::filesystem::create_symlink(t.Path("gone"), t.Path("dangling.ico"));
    ASSERT_EQ(::mkfifo(t.Path("pipe.ico").c_str(), 0600), 0);
    t.File("locked/hidden.ico");
    ::chmod(t.Path("locked").c_str(), 0);

    const Walk w(t.Root(), true, "*");
    std::set<std::string> paths;
    for (const std::string& p : w.Paths())
        paths.insert(p);
    for (const char* want : { "a/x.ico", "a/b/y.ico", "link.ico", "dangling.ico", "pipe.ico" })
        EXPECT_EQ(paths.count(t.Path(want)), 1u) << want;
    for (std::size_t i = 0; i < w.folders.size(); ++i) {
        EXPECT_EQ(w.folders[i].find("/up"), std::string::npos) << w.folders[i];
        EXPECT_EQ(w.folders[i].find("/toA"), std::string::npos) << w.folders[i];
    }
    // root can read any folder, so the locked one only stays shut for others.
    if (::geteuid() != 0) {
        EXPECT_EQ(paths.count(t.Path("locked/hidden.ico")), 0u);
    }
    EXPECT_EQ(w.Panel(0), std::to_string(w.files.size()) + " files");
}

TEST(CollectFiles, NamesThatAreNotUtf8KeepTheirBytes)
{
    TempTree t;
    const std::string folder = "dir\xc3(";
    const std::string file = "\xff\xfe icon.ico";
    t.File(folder + "/" + file);
    t.File("\xe9t\xe9.ICO");
    const Walk w(t.Root(), true);
    std::set<std::string> paths;
    for (const std::string& p : w.Paths())
        paths.insert(p);
    EXPECT_EQ(paths, (std::set<std::string> { t.Path(folder + "/" + file), t.Path("\xe9t\xe9.ICO") }));
    struct stat st;
    for (const std::string& p : paths)
        EXPECT_EQ(::stat(p.c_str(), &st), 0) << "the recorded path opens the same file";
}

TEST(CollectFiles, OneFileModeTakesTheFileAsNamed)
{
    struct Case {
        std::string root, folder, name, caption;
    };
    const Case cases[] = {
        { "/x.ico", "/", "x.ico", "File: /x.ico" },
        { "/usr/share/readme.txt", "/usr/share", "readme.txt", "File: /usr/share/readme.txt" },
        { "x.ico", "", "x.ico", "File: x.ico" },
    };
    for (const Case& c : cases) {
        FolderList folders;
        TfileList files;
        ScanMailbox mailbox;
        const std::atomic<bool> stopped { false };
        CollectFiles(ScanJob { c.root, true, false, "", {} }, folders, files, mailbox, stopped);
        ASSERT_EQ(folders.size(), 1u);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(folders[0], c.folder);
        EXPECT_EQ(files[0].FolderIndex, 0);
        EXPECT_EQ(files[0].FileName, c.name); // taken whatever the filter says
        const ScanMailbox::Batch shown = mailbox.Take();
        ASSERT_EQ(shown.updates.size(), 1u);
        EXPECT_EQ(shown.updates[0].text, c.caption);
        EXPECT_FALSE(shown.panels[0] || shown.panels[1] || shown.panels[2]) << "no status panel in one-file mode";
    }
}
