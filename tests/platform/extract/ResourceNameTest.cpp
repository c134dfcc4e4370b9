// The resource names and languages of icon groups in programs and libraries.

#include "platform/extract/ExtractIcon.h"
#include "platform/extract/IconGroup.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace orbisk;
using namespace orbisk::test;

namespace {

GroupSpec Group(std::string name, uint16_t id = 0, std::vector<uint16_t> languages = {})
{
    GroupSpec g { { ImageSpec { .width = 16, .height = 16, .bits = 8 } } };
    g.name = std::move(name);
    g.id = id;
    g.languages = std::move(languages);
    return g;
}

GroupResource Named(std::string name, std::optional<uint16_t> language)
{
    return { { std::move(name) }, language };
}
GroupResource Numbered(uint16_t id, std::optional<uint16_t> language) { return { { id }, language }; }

// Every icon's resource, asked through both ways of numbering the icons,
// which must agree.
std::vector<GroupResource> Resources(const std::string& path)
{
    std::vector<GroupResource> out;
    for (int n = 0; ExtractIconDetailed(path, n, nullptr); ++n) {
        auto resource = ExtractIconResource(path, n);
        auto again = ReadIconResource(path, n);
        EXPECT_TRUE(resource.ok() && again.ok()) << n;
        if (!resource || !again)
            break;
        EXPECT_EQ(*resource, *again) << n;
        out.push_back(*resource);
    }
    return out;
}

} // namespace

TEST(ResourceName, PeGroupsKeepTheirNamesAndTheFirstLanguage)
{
    TempDir dir;
    GroupSpec broken = Group({}, 50);
    broken.images.clear();
    broken.missingIcons = { 900 };
    const std::vector<GroupSpec> groups { Group({}, 101, { 0x407, 0x409, 0 }), Group("IDI_SHELL \"OPTIONS\"", 0, { 0 }),
                                          broken, Group({}, 7), Group("IC\xc3\x94NE \xf0\x9f\x98\x80") };
    const std::vector<GroupResource> expected { Named("IDI_SHELL \"OPTIONS\"", 0),
                                                Named("IC\xc3\x94NE \xf0\x9f\x98\x80", 1033), Numbered(7, 1033),
                                                Numbered(101, 1031) };
    for (PeKind kind : { PeKind::Pe32, PeKind::Pe32Plus })
        EXPECT_EQ(Resources(dir.Write("a.dll", PeFile(groups, kind))), expected);

    // Cursors are numbered apart and named alike.
    const std::string both = dir.Write("b.dll", PeFile(groups, PeKind::Pe32, nullptr, { Group({}, 3), Group("ARROW") }));
    auto cursor = ReadCursorResource(both, 0);
    ASSERT_TRUE(cursor.ok()) << cursor.error();
    EXPECT_EQ(*cursor, Named("ARROW", 1033));
    EXPECT_EQ(*ReadCursorResource(both, 1), Numbered(3, 1033));
    EXPECT_FALSE(ReadCursorResource(both, 2).ok());
}

TEST(ResourceName, NeGroupsHaveNamesButNoLanguage)
{
    TempDir dir;
    const std::string path
        = dir.Write("a.icl", NeFile({ Group({}, 12), Group("MY ICON"), Group({}, 3), Group("PRICE \x80\xe9") }));
    EXPECT_EQ(Resources(path), (std::vector<GroupResource> { Named("MY ICON", std::nullopt),
                                                             Named("PRICE \xe2\x82\xac\xc3\xa9", std::nullopt),
                                                             Numbered(3, std::nullopt), Numbered(12, std::nullopt) }));
}

TEST(ResourceName, FilesWithoutResourcesAndNamesOutsideTheFile)
{
    TempDir dir;
    const std::string ico = dir.Write("a.ico", IcoFile({ ImageSpec {} }));
    ASSERT_TRUE(ExtractIconDetailed(ico, 0, nullptr));
    EXPECT_FALSE(ExtractIconResource(ico, 0).ok());
    EXPECT_FALSE(ReadIconResource(dir.Write("a.bmp", BmpFile(ImageSpec {})), 0).ok());

    // A name that cannot be read leaves the icon and the other names as they are.
    PeLayout pe;
    Bytes dll = PeFile({ Group("A"), Group("B") }, PeKind::Pe32, &pe);
    PutU32(dll, pe.groupEntry[0], 0xfffffff0u);
    const std::string badPe = dir.Write("bad.dll", dll);
    EXPECT_TRUE(ExtractIconDetailed(badPe, 0, nullptr));
    EXPECT_FALSE(ExtractIconResource(badPe, 0).ok());
    EXPECT_EQ(*ExtractIconResource(badPe, 1), Named("B", 1033));

    NeLayout ne;
    Bytes icl = NeFile({ Group("A"), Group("B") }, &ne);
    PutU16(icl, ne.groupNameInfo[1] + 6, 0x7fff); // past the table
    const std::string badNe = dir.Write("bad.icl", icl);
    EXPECT_EQ(*ReadIconResource(badNe, 0), Named("A", std::nullopt));
    EXPECT_FALSE(ReadIconResource(badNe, 1).ok());
    EXPECT_TRUE(ExtractIconDetailed(badNe, 1, nullptr));
}

TEST(ResourceName, Utf16NamesWithLoneSurrogates)
{
    // "A", a high surrogate alone, a pair, a low surrogate alone, a high
    // surrogate cut by the end.
    const std::vector<uint8_t> units { 'A', 0, 0x00, 0xd8, 'B', 0, 0x3d, 0xd8, 0x00, 0xde, 0x00, 0xdc, 0x00, 0xd8 };
    EXPECT_EQ(Utf8FromUtf16Le(units), "A\xef\xbf\xbd" "B\xf0\x9f\x98\x80\xef\xbf\xbd\xef\xbf\xbd");
}
