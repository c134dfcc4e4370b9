#include "platform/settings/IniFile.h"
#include "platform/settings/PrivateProfile.h"
#include "platform/settings/ProfileInteger.h"
#include "platform/settings/SettingsLocation.h"

#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace orbisk;
namespace fs = std::filesystem;

namespace {

class TempFolder : public orbisk::test::TempDir {
public:
    TempFolder()
        : TempDir("orbisk-profile")
    {
    }
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Spill(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

} // namespace

TEST(ProfileInteger, FollowsTheSettingsReadingRules)
{
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        { "512", 512 }, { "0x200", 512 }, { "0X200", 512 }, { "$200", 512 }, { "x200", 512 }, { "X200", 512 },
        { "  -5", -5 }, { "\t+7", 7 }, { "-$10", -16 }, { "2147483647", 2147483647 },
        { "-2147483648", INT32_MIN }, { "-0x80000000", INT32_MIN }, { "2147483648", std::nullopt },
        { "0x80000000", std::nullopt }, { "99999999999999999999", std::nullopt }, { "", std::nullopt },
        { "0x", std::nullopt }, { "$", std::nullopt }, { "-", std::nullopt }, { "12abc", std::nullopt },
        { "- 5", std::nullopt }, { "0x1G", std::nullopt }, { "1.5", std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseProfileInteger(text), expected) << '"' << text << '"';
}

TEST(PrivateProfile, FindsSectionsAndKeysWithoutRegardToCase)
{
    const std::string text = "\xEF\xBB\xBF[display]\n"
                             "; FormTop=1\n"
                             "  formtop =  12  \r\n"
                             "FormTop=99\n"
                             "[Options]\n"
                             "FormLeft=5\n"
                             "[DISPLAY]\n"
                             "FormLeft=7\n";
    EXPECT_EQ(FindProfileValue(text, "Display", "FormTop"), "12");
    // Only the first section of a name counts, as for reading so for writing.
    EXPECT_EQ(FindProfileValue(text, "Display", "FormLeft"), std::nullopt);
    EXPECT_EQ(FindProfileValue(text, "options", "FORMLEFT"), "5");
    EXPECT_EQ(FindProfileValue(text, "Display", "; FormTop"), std::nullopt);
    EXPECT_EQ(FindProfileValue("FormTop=3\n", "Display", "FormTop"), std::nullopt);
}

TEST(PrivateProfile, WritesInPlaceAndKeepsEveryOtherByte)
{
    const std::string text = "; written by hand\r\n"
                             "[Display]\r\n"
                             "Zoom = 3 ; mine\r\n"
                             "formwidth = 600\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "x=1";
    EXPECT_EQ(SetProfileValue(text, "DISPLAY", "FormWidth", "512"),
              "; written by hand\r\n[Display]\r\nZoom = 3 ; mine\r\nFormWidth=512\r\n\r\n[Other]\r\nx=1");
    // A new key joins its section before the blank line; a new section goes
    // to the end, after the last line has been ended in the file's manner.
    EXPECT_EQ(SetProfileValue(text, "Display", "ListMode", "3"),
              "; written by hand\r\n[Display]\r\nZoom = 3 ; mine\r\nformwidth = 600\r\nListMode=3\r\n\r\n"
              "[Other]\r\nx=1");
    EXPECT_EQ(SetProfileValue(text, "Other", "y", "2"), text + "\r\ny=2\r\n");
    EXPECT_EQ(SetProfileValue(text, "Options", "WithSub", "1"), text + "\r\n[Options]\r\nWithSub=1\r\n");
    EXPECT_EQ(SetProfileValue("", "Options", "WithSub", "1"), "[Options]\nWithSub=1\n");
}

TEST(PrivateProfile, FileWritesCreateTheFileAndRefuseWhatWouldBreakIt)
{
    TempFolder folder;
    const std::string ini = folder / "orbisk.ini";
    EXPECT_EQ(GetPrivateProfileString("Options", "FileExt", "dflt", ini), "dflt");
    ASSERT_TRUE(WritePrivateProfileString("Options", "FileExt", ".ICO,", ini));
    ASSERT_TRUE(WritePrivateProfileString("Display", "FormTop", "5", ini));
    EXPECT_EQ(Slurp(ini), "[Options]\nFileExt=.ICO,\n[Display]\nFormTop=5\n");

    // A line break would smuggle a line of its own into the file.
    EXPECT_FALSE(WritePrivateProfileString("Display", "StartInFolder", "/a\n[Options]\nFileExt=*", ini));
    EXPECT_FALSE(WritePrivateProfileString("Display", "a=b", "1", ini));
    EXPECT_FALSE(WritePrivateProfileString("Dis]play", "a", "1", ini));
    EXPECT_EQ(Slurp(ini), "[Options]\nFileExt=.ICO,\n[Display]\nFormTop=5\n");

    // Reads stop at 2047 bytes, never in the middle of a character.
    const std::string longValue = std::string(2046, 'a') + "\xC3\xA9" + "zz";
    ASSERT_TRUE(WritePrivateProfileString("Display", "StartInFolder", longValue, ini));
    EXPECT_EQ(GetPrivateProfileString("Display", "StartInFolder", "", ini), std::string(2046, 'a'));

    EXPECT_FALSE(WritePrivateProfileString("Options", "WithSub", "1", folder / "missing/orbisk.ini"));
    const std::string folderIni = folder / "folder.ini";
    fs::create_directory(folderIni);
    EXPECT_EQ(GetPrivateProfileString("Options", "WithSub", "d", folderIni), "d");
    EXPECT_FALSE(WritePrivateProfileString("Options", "WithSub", "1", folderIni));
    EXPECT_TRUE(fs::is_directory(folderIni));
}

TEST(IniFile, ReadsTypedValuesAndReportsFailedWrites)
{
    TempFolder folder;
    Spill(folder / "orbisk.ini", "[Display]\nFormWidth=0x200\nFormTop=-5\nBad=12px\n[Options]\nWithSub=2\n");
    TIniFile file(folder / "orbisk.ini");
    EXPECT_EQ(file.ReadInteger("Display", "FormWidth", -1), 512);
    EXPECT_EQ(file.ReadInteger("Display", "FormTop", -1), -5);
    EXPECT_EQ(file.ReadInteger("Display", "Bad", -1), -1);
    EXPECT_EQ(file.ReadInteger("Display", "Missing", 7), 7);
    EXPECT_TRUE(file.ReadBool("Options", "WithSub", false));
    EXPECT_TRUE(file.ReadBool("Options", "AutoScan", true));

    file.WriteBool("Options", "WithSub", file.ReadBool("Options", "WithSub", false));
    file.WriteInteger("Display", "FormTop", -12);
    const std::string written = "[Display]\nFormWidth=0x200\nFormTop=-12\nBad=12px\n[Options]\nWithSub=1\n";
    EXPECT_EQ(Slurp(folder / "orbisk.ini"), written);

    // Several keys in one write: all of them, or none when one cannot be stored.
    TIniFileUpdate update;
    update.WriteInteger("Display", "FormTop", 7);
    update.WriteString("Options", "FileExt", ".ICO,");
    update.WriteString("Display", "StartInFolder", "/a\n[Options]");
    EXPECT_THROW(file.Write(update), EIniFileException);
    EXPECT_EQ(Slurp(folder / "orbisk.ini"), written);
    update = {};
    update.WriteInteger("Display", "FormTop", 7);
    update.WriteString("Options", "FileExt", ".ICO,");
    file.Write(update);
    EXPECT_EQ(file.ReadInteger("Display", "FormTop", -1), 7);
    EXPECT_EQ(file.ReadString("Options", "FileExt", ""), ".ICO,");

    // A read-only file is not overwritten.
    const std::string before = Slurp(folder / "orbisk.ini");
    fs::permissions(folder / "orbisk.ini", fs::perms::owner_read | fs::perms::group_read);
    EXPECT_THROW(file.WriteInteger("Display", "FormTop", 8), EIniFileException);
    EXPECT_EQ(Slurp(folder / "orbisk.ini"), before);

    fs::create_directory(folder / "dir.ini");
    TIniFile unwritable(folder / "dir.ini");
    try {
        unwritable.WriteInteger("Display", "FormTop", 1);
        ADD_FAILURE() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + (folder / "dir.ini"));
    }
}

TEST(SettingsLocation, PrefersTheProgramFolderThenTheConfigFolder)
{
    TempFolder folder;
    const std::string program = folder / "bin";
    const std::string config = folder / "config";
    fs::create_directory(program);
    const auto at = [](const std::string& programDir, const std::string& configHome) {
        return PrepareSettingsFile({ programDir, configHome, { "/usr", "/opt" } });
    };

    EXPECT_EQ(at(program, config), SettingsFile { program + "/orbisk.ini" });
    EXPECT_FALSE(fs::exists(config));

    // A program folder that cannot be written (here: one that is gone) sends
    // the file to the config folder, which is made for it.
    EXPECT_EQ(at(folder / "gone", config), SettingsFile { config + "/orbisk/orbisk.ini" });
    EXPECT_TRUE(fs::is_directory(config + "/orbisk"));
    EXPECT_EQ(at("", config), SettingsFile { config + "/orbisk/orbisk.ini" });

    Spill(folder / "plainfile", "");
    EXPECT_EQ(at(folder / "gone", folder / "plainfile"), std::nullopt);
    EXPECT_EQ(at("", ""), std::nullopt);
}

// A program installed for the whole system, also one run by root from a
// folder root may write, never writes beside itself: its file there is only
// where the user's own settings start. Nor is a file written into a folder
// that belongs to another user (root run with that user's home).
TEST(SettingsLocation, ASystemProgramOrAnotherUsersFolderIsOnlyRead)
{
    TempFolder folder;
    const std::string program = folder / "usr/bin";
    const std::string config = folder / "config";
    fs::create_directories(program);
    Spill(program + "/orbisk.ini", "[Options]\nWithSub=1\n");
    const std::vector<std::string> system { folder / "usr" };

    const auto installed = PrepareSettingsFile({ program, config, system });
    EXPECT_EQ(installed, SettingsFile { config + "/orbisk/orbisk.ini" });
    EXPECT_EQ(Slurp(config + "/orbisk/orbisk.ini"), "[Options]\nWithSub=1\n");
    EXPECT_EQ(Slurp(program + "/orbisk.ini"), "[Options]\nWithSub=1\n");
    // Not the user's folder, wherever it is.
    fs::remove_all(config);
    const uid_t other = ::geteuid() + 1;
    EXPECT_EQ(PrepareSettingsFile({ program, config, {}, other }), (SettingsFile { program + "/orbisk.ini", true }));
    EXPECT_FALSE(fs::exists(config));

    // The user's configuration folder belongs to someone else: read there,
    // write nothing, make no folder.
    fs::create_directories(config + "/orbisk");
    Spill(config + "/orbisk/orbisk.ini", "[Options]\nWithSub=0\n");
    EXPECT_EQ(PrepareSettingsFile({ program, config, system, other }),
        (SettingsFile { config + "/orbisk/orbisk.ini", true }));
    fs::remove_all(config);
    fs::create_directories(config);
    EXPECT_EQ(PrepareSettingsFile({ "", config, system, other }),
        (SettingsFile { config + "/orbisk/orbisk.ini", true }));
    EXPECT_FALSE(fs::exists(config + "/orbisk"));
}

TEST(SettingsLocation, ConfigFolderFollowsTheXdgRules)
{
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = oldConfig ? oldConfig : "";
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/etc/someone", 1);
    const std::string absolute = SettingsLocation::Current().configHome;
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    const std::string relative = SettingsLocation::Current().configHome;
    ::setenv("HOME", oldHome.c_str(), 1);
    if (oldConfig)
        ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(absolute, "/etc/someone");
    EXPECT_EQ(relative, "/home/someone/.config");
}
