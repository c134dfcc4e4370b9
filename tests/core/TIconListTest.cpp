#include "core/ChunkedList.h"
#include "core/TIconList.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

using namespace orbisk;
using orbisk::test::BlankIcon;

namespace {

// Entries 0..n-1 with FileIndex i / 3 and IconIndex i % 3.
void Fill(TIconList& list, int n)
{
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(list.Append(i / 3, i % 3, BlankIcon()));
}

std::vector<std::pair<int, int>> Indices(const TIconList& list)
{
    std::vector<std::pair<int, int>> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.emplace_back(list[i].FileIndex, list[i].IconIndex);
    return out;
}

} // namespace

TEST(TIconList, MarkingOperations)
{
    TIconList list;
    EXPECT_FALSE(list.AnyIconMarked());
    EXPECT_EQ(list.CountMarkedIcons(), 0u);
    list.MarkIcon(0); // past the end: ignored
    Fill(list, 5);
    EXPECT_FALSE(list.AnyIconMarked());
    list.MarkIcon(4);
    list.MarkIcon(5);
    EXPECT_TRUE(list.AnyIconMarked());
    EXPECT_EQ(list.CountMarkedIcons(), 1u);
    list.MarkAllIcons();
    EXPECT_EQ(list.CountMarkedIcons(), 5u);
    list.UnmarkAllIcons();
    EXPECT_FALSE(list.AnyIconMarked());
}

TEST(TIconList, RemovingKeepsTheOrderAndDestroysEachHandleOnce)
{
    const long base = LiveIconCount();
    {
        TIconList list;
        Fill(list, 8);
        EXPECT_EQ(list.RemoveMarked(), 0u); // nothing marked: nothing changes
        EXPECT_EQ(list.size(), 8u);

        list.MarkIcon(2);
        list.MarkIcon(3); // adjacent marks: both go
        list.MarkIcon(7);
        HICON survivor = list[4].Handle;
        EXPECT_EQ(list.RemoveMarked(), 3u);
        EXPECT_EQ(Indices(list), (std::vector<std::pair<int, int>> { { 0, 0 }, { 0, 1 }, { 1, 1 }, { 1, 2 }, { 2, 0 } }));
        EXPECT_EQ(list[2].Handle, survivor);
        EXPECT_FALSE(list.AnyIconMarked());
        EXPECT_EQ(LiveIconCount(), base + 5);

        EXPECT_FALSE(list.RemoveAt(5));
        EXPECT_TRUE(list.RemoveAt(0));
        EXPECT_EQ(Indices(list).front(), std::make_pair(0, 1));
        EXPECT_EQ(LiveIconCount(), base + 4);
    }
    EXPECT_EQ(LiveIconCount(), base); // the destructor clears what is left
}

// Icons of one picture share their handle's image; the first of each stays,
// carrying the marks of those removed.
TEST(TIconList, RemovingDuplicatesKeepsTheFirstOfEachPictureWithTheirMarks)
{
    const long base = LiveIconCount();
    auto picture = [](uint32_t color) {
        IconData d;
        d.width = d.height = 2;
        d.color.assign(4, color);
        d.mask.assign(std::size_t(IconData::MaskStride(2)) * 2, 0);
        return CreateIcon(std::move(d));
    };
    {
        TIconList list;
        // Pictures a b a c b a.
        const uint32_t colors[] = { 1, 2, 1, 3, 2, 1 };
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(list.Append(0, i, picture(0xff000000u | colors[i])));
        list.MarkIcon(2); // a duplicate of 0: 0 is marked
        list.MarkIcon(3); // c has no duplicate and keeps its mark
        EXPECT_EQ(list.RemoveDuplicates(), 3u);
        EXPECT_EQ(Indices(list), (std::vector<std::pair<int, int>> { { 0, 0 }, { 0, 1 }, { 0, 3 } }));
        EXPECT_EQ(list[0].Marked.load(), 1);
        EXPECT_EQ(list[1].Marked.load(), 0);
        EXPECT_EQ(list[2].Marked.load(), 1);
        EXPECT_EQ(LiveIconCount(), base + 3);
        EXPECT_EQ(list.RemoveDuplicates(), 0u);
    }
    EXPECT_EQ(LiveIconCount(), base);
}

TEST(TIconList, ClearingThousandsDestroysEveryHandleOnce)
{
    const long base = LiveIconCount();
    TIconList list;
    Fill(list, 5000);
    EXPECT_EQ(LiveIconCount(), base + 5000);
    list.MarkIcon(4999);
    list.Clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(LiveIconCount(), base);
    Fill(list, 300); // usable again after a clear
    EXPECT_EQ(list[299].IconIndex, 299 % 3);
}

TEST(ChunkedList, ElementsStayPutAcrossChunksAndTruncate)
{
    ChunkedList<std::string> list;
    std::vector<const std::string*> addresses;
    for (int i = 0; i < 3000; ++i)
        addresses.push_back(&list.emplace_back("item" + std::to_string(i)));
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(&list[std::size_t(i)], addresses[std::size_t(i)]);
        ASSERT_EQ(list[std::size_t(i)], "item" + std::to_string(i));
    }
    list.Truncate(257);
    EXPECT_EQ(list.size(), 257u);
    EXPECT_EQ(list[256], "item256");
    list.emplace_back("again");
    EXPECT_EQ(list[257], "again");
}
