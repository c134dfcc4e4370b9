// orbisk-extract as scripts read it: names that could break a line, NUL
// records, JSON Lines, names that are not UTF-8, and the exit statuses.

#include "fixtures/Fixtures.h"
#include "tests/tools/ExtractRun.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orbisk::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Split(const std::string& text, char end)
{
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + 1)
        records.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "the last record is not ended";
    return records;
}

QJsonObject Json(const std::string& line)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    return document.object();
}

class Scripting : public ExtractTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ExtractTest::SetUp());
        in = F("in");
        fs::create_directory(in);
        ASSERT_TRUE(WriteFile(F(forged), PeFile(Groups(2, { ImageSpec {} }))));
        ASSERT_TRUE(WriteFile(F(odd), IcoFile({ ImageSpec { .width = 16, .height = 16, .bits = 8 } })));
    }

    // A name that would print a line of its own, and one with a tab, a
    // backslash and a byte that is not UTF-8.
    std::string in; // the folder the two files are in
    const std::string forged = "in/x.exe\nFORGED-LINE #7\ny.exe";
    const std::string odd = "in/tab\there\\caf\xc3\xa9\xff.ico";
};

} // namespace

TEST_F(Scripting, NamesAreEscapedOnOneLineOrEndedByNul)
{
    const ToolRun plain = Run("scan --filter '*' " + Quote(in));
    ASSERT_EQ(plain.status, 0) << plain.err;
    const auto lines = Split(plain.out, '\n');
    ASSERT_EQ(lines.size(), 6u) << plain.out;
    for (const std::string& line : lines)
        EXPECT_NE(line.rfind("FORGED-LINE", 0), 0u) << line;
    const std::vector<std::string> icons(lines.begin(), lines.end() - 3);
    std::vector<std::string> expected { in + "/x.exe\\nFORGED-LINE #7\\ny.exe #0",
        in + "/x.exe\\nFORGED-LINE #7\\ny.exe #1", in + "/tab\\there\\\\caf\xc3\xa9\\xff.ico #0" };
    std::vector<std::string> sorted = icons;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);

    const ToolRun null = Run("scan --null --filter '*' " + Quote(in));
    ASSERT_EQ(null.status, 0);
    auto records = Split(null.out, '\0');
    ASSERT_EQ(records.size(), 6u);
    records.resize(3);
    std::sort(records.begin(), records.end());
    std::vector<std::string> raw { F(odd) + " #0", F(forged) + " #0", F(forged) + " #1" };
    std::sort(raw.begin(), raw.end());
    EXPECT_EQ(records, raw);
}

TEST_F(Scripting, JsonLinesCarryTheExactBytesOfEveryPath)
{
    const ToolRun scan = Run("scan --json --filter '*' " + Quote(in));
    ASSERT_EQ(scan.status, 0) << scan.err;
    const auto lines = Split(scan.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    int oddSeen = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const QJsonObject icon = Json(lines[i]);
        if (icon.contains("path_b64")) {
            ++oddSeen;
            EXPECT_EQ(QByteArray::fromBase64(icon["path_b64"].toString().toLatin1()).toStdString(), F(odd));
            EXPECT_EQ(icon["path"].toString(), QString::fromUtf8(in + "/tab\there\\caf\xc3\xa9\xef\xbf\xbd.ico"));
        } else {
            EXPECT_EQ(icon["path"].toString().toStdString(), F(forged));
        }
    }
    EXPECT_EQ(oddSeen, 1);
    const QJsonObject totals = Json(lines[3]);
    EXPECT_EQ(totals["files"].toInt(), 2);
    EXPECT_EQ(totals["icons"].toInt(), 3);
    EXPECT_EQ(totals.size(), 2);

    const ToolRun list = Run("list --json " + Quote(F(odd)));
    ASSERT_EQ(list.status, 0) << list.err;
    const QJsonObject listed = Json(Split(list.out, '\n').at(0));
    EXPECT_EQ(listed.keys(), (QStringList { "bits", "height", "icon", "path", "path_b64", "width" }));
    EXPECT_EQ(listed["width"].toInt(), 16);
    EXPECT_EQ(listed["bits"].toInt(), 8);

    const ToolRun group = Run("group --json " + Quote(F(forged)) + " 1");
    ASSERT_EQ(group.status, 0) << group.err;
    const QJsonObject image = Json(Split(group.out, '\n').at(0));
    EXPECT_EQ(image["path"].toString().toStdString(), F(forged));
    EXPECT_EQ(image["icon"].toInt(), 1);
    EXPECT_EQ(image["format"].toString(), "dib");
    EXPECT_GT(image["bytes"].toInt(), 0);
}

// The folder's name goes to the system as given: no round trip through
// text that would turn its odd byte into another name.
TEST_F(Scripting, APngFolderWhoseNameIsNotUtf8IsTheFolderWrittenTo)
{
    const std::string folder = F("png\xff");
    const ToolRun r = Run("list --png-dir " + Quote(folder) + " " + Quote(F(odd)));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(folder + "/1.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3); // in, stderr, png\xff
}

TEST_F(Scripting, EveryExitStatusOfTheTable)
{
    fs::create_directory(F("empty"));
    EXPECT_EQ(Run("scan " + Quote(F("empty"))).status, 0);

    // 1: no such icon, not a file Orbisk reads, a failed save.
    const ToolRun noIcon = Run("group " + Quote(F(forged)) + " 2");
    EXPECT_EQ(noIcon.status, 1);
    EXPECT_EQ(Split(noIcon.err, '\n').size(), 1u);
    EXPECT_EQ(Run("list " + Quote(F("missing.ico"))).status, 1);
    EXPECT_EQ(Run("save " + Quote(F(forged)) + " 0 " + Quote(F("no/such/folder.ico"))).status, 1);

    // 2: one line naming the problem, then where to look.
    for (const std::string args : { "scan --bogus x", "scan", "list --png-dir", "save --colors 100 a 0 b",
             "group a -1", "save-png --size 0 a 0 b", "save-all --bmp --colors 16 a b", "frobnicate" }) {
        const ToolRun r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        const auto lines = Split(r.err, '\n');
        ASSERT_EQ(lines.size(), 2u) << args << ": " << r.err;
        const std::string command = args.substr(0, args.find(' '));
        EXPECT_EQ(lines[1], command == "frobnicate" ? "Try 'orbisk-extract --help'."
                                                    : "Try 'orbisk-extract " + command + " --help'.")
            << args;
    }
    const ToolRun help = Run("save-all --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--display-depth"), std::string::npos);
}

// Ctrl+C during save-all: the status says so and no temporary file is left.
TEST_F(Scripting, InterruptedIsStatus130AndLeavesNoTemporaryFile)
{
    fs::create_directory(F("many"));
    const Bytes dll = PeFile(Groups(50, { ImageSpec {} }));
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(WriteFile(F("many/" + std::to_string(i) + ".dll"), dll));
    fs::create_directory(F("out"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(ORBISK_EXTRACT, ORBISK_EXTRACT, "save-all", F("many").c_str(), F("out").c_str(), nullptr);
        ::_exit(127);
    }
    // Once the command has taken SIGINT, and has begun to write.
    const auto caught = [child] {
        std::ifstream status("/proc/" + std::to_string(child) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("SigCgt:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
        return false;
    };
    for (int i = 0; i < 2000 && !(caught() && fs::exists(F("out/icon1.ico"))); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(child, SIGINT);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 130);
    EXPECT_LT(std::distance(fs::directory_iterator(F("out")), {}), 20000);
    for (const auto& entry : fs::directory_iterator(F("out")))
        EXPECT_EQ(entry.path().extension(), ".ico") << entry.path();
}
