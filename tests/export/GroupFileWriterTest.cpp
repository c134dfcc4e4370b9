// Whole groups written as icon and cursor files: every image byte for byte
// and in order, the directory built from the images, nothing unverified.

#include "export/GroupFileWriter.h"
#include "fixtures/Fixtures.h"
#include "platform/extract/ExtractIcon.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// Made once: encoding a PNG is the slow part of building a file.
ImageSpec Encoded(ImageSpec shape)
{
    shape.encoded = std::make_shared<Bytes>(IconImage(shape));
    return shape;
}

const std::vector<ImageSpec> kGroup {
    Encoded(ImageSpec { .width = 256, .height = 256, .pixel = AlphaPattern(1), .png = true }),
    ImageSpec { .width = 48, .height = 48, .bits = 32, .pixel = AlphaPattern(2) },
    ImageSpec { .width = 48, .height = 48, .bits = 8 },
    ImageSpec { .width = 32, .height = 32, .bits = 4 },
    ImageSpec { .width = 32, .height = 32, .bits = 24 },
    ImageSpec { .width = 16, .height = 16, .bits = 1 },
};

Bytes Written(const IconGroup& group)
{
    MemoryStream out;
    WriteGroupStream(out, group);
    return out.Bytes();
}

IconGroup Read(Result<IconGroup> group)
{
    EXPECT_TRUE(group) << group.error();
    return group ? std::move(*group) : IconGroup {};
}

Bytes Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Refusal(const IconGroup& group)
{
    try {
        Written(group);
    } catch (const EInvalidGroup& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(GroupFileWriter, ProgramGroupsBecomeIconFilesImageForImage)
{
    for (const Bytes& program : { PeFile(Groups(2, kGroup)), PeFile(Groups(2, kGroup), PeKind::Pe32Plus),
                                  NeFile(Groups(2, kGroup)) }) {
        const IconGroup group = Read(ReadIconGroupFromBytes(program, 1));
        const Bytes file = Written(group);
        // The fixture's icon files have the layout a careful writer makes:
        // the same header, entries and image bytes.
        EXPECT_EQ(file, IcoFile(Groups(2, kGroup)[1].images));
        const IconGroup again = Read(ReadIconGroupFromBytes(file, 0));
        ASSERT_EQ(again.images.size(), kGroup.size());
        for (std::size_t i = 0; i < kGroup.size(); ++i)
            EXPECT_EQ(again.images[i].bytes, group.images[i].bytes) << i;
        // And it makes the same icon as the program did.
        IconSourceInfo a, b;
        UniqueIcon fromProgram = ExtractIconFromBytes(program, 1, &a), fromFile = ExtractIconFromBytes(file, 0, &b);
        ASSERT_TRUE(fromProgram && fromFile);
        EXPECT_EQ(fromProgram->color, fromFile->color);
        EXPECT_EQ(a.bits, b.bits);
    }
}

TEST(GroupFileWriter, IconAndCursorFilesRoundTripExactly)
{
    const Bytes ico = IcoFile(kGroup);
    EXPECT_EQ(Written(Read(ReadIconGroupFromBytes(ico, 0))), ico);
    const Bytes cur = CurFile(kGroup, 17, 3);
    EXPECT_EQ(Written(Read(ReadCursorGroupFromBytes(cur, 0))), cur);
    EXPECT_EQ(Written(Read(ReadIconGroupFromBytes(cur, 0))), cur); // a cursor file's group is a cursor group

    // A program's cursor group becomes a cursor file with each hot spot.
    GroupSpec cursor { { kGroup[5], kGroup[3] } };
    cursor.hotspots = { { 2, 14 }, { 31, 0 } };
    const Bytes dll = PeFile({}, PeKind::Pe32, nullptr, { cursor });
    const Bytes file = Written(Read(ReadCursorGroupFromBytes(dll, 0)));
    EXPECT_EQ(file[2], 2); // type 2: cursor
    const IconGroup again = Read(ReadCursorGroupFromBytes(file, 0));
    ASSERT_EQ(again.images.size(), 2u);
    EXPECT_EQ(again.images[0].hotspot, (Hotspot { 2, 14 }));
    EXPECT_EQ(again.images[1].hotspot, (Hotspot { 31, 0 }));
    EXPECT_EQ(again.images[1].bytes, IconImage(kGroup[3]));
}

TEST(GroupFileWriter, WritesOnlyVerifiedImagesOrRefuses)
{
    IconGroup group = Read(ReadIconGroupFromBytes(IcoFile(kGroup), 0));
    IconGroup cut = group;
    cut.images[0].bytes.resize(cut.images[0].bytes.size() - 12); // no IEND
    EXPECT_EQ(Refusal(cut), "Image #0 of the group is not a complete image (PNG image cut short)");
    IconGroup lying = group;
    lying.images[2].width = 256; // what the header says wins
    EXPECT_EQ(Written(lying), Written(group));
    EXPECT_EQ(Refusal(IconGroup {}), "The group holds no image that can be saved");
    const IconGroup bitmap = Read(ReadIconGroupFromBytes(BmpFile(ImageSpec {}), 0));
    EXPECT_EQ(Refusal(bitmap), "A bitmap file holds no icon group");

    // A refused group leaves the file of that name as it was.
    QTemporaryDir dir;
    const std::string path = dir.filePath("old.ico").toStdString();
    ASSERT_TRUE(WriteFile(path, { 1, 2, 3 }));
    EXPECT_THROW(WriteGroupFile(cut, path), EInvalidGroup);
    EXPECT_EQ(Slurp(path), (Bytes { 1, 2, 3 }));
    WriteGroupFile(group, path);
    EXPECT_EQ(Slurp(path), IcoFile(kGroup));
}

TEST(GroupFileWriter, WhateverIsReadFromADamagedFileCanBeWritten)
{
    // Every group read from a program cut short holds only whole images.
    const std::vector<ImageSpec> small { kGroup[5], Encoded(ImageSpec { .width = 20, .height = 20, .png = true }),
                                         ImageSpec { .width = 16, .height = 16, .bits = 32 } };
    const Bytes full = PeFile(Groups(2, small));
    for (std::size_t length = 0; length < full.size(); length += 7) {
        const Bytes cut(full.begin(), full.begin() + std::ptrdiff_t(length));
        for (int n = 0; n < 2; ++n) {
            auto group = ReadIconGroupFromBytes(cut, n);
            if (group && !group->images.empty()) {
                EXPECT_NO_THROW(Written(*group)) << length;
            }
        }
    }
}
