#include "platform/namespace/ShellFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orbisk;

namespace {

int Sign(int v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

// Sorting many at once must give exactly the order that comparing two at a
// time gives, or a folder's children would move when one more is inserted.
void ExpectSameOrder(const ShellFolder& folder, const std::vector<ItemIdList>& items)
{
    std::vector<const ItemIdList*> pointers;
    for (const ItemIdList& item : items)
        pointers.push_back(&item);
    const std::vector<std::size_t> order = folder.SortedOrder(pointers);
    ASSERT_EQ(order.size(), items.size());
    std::vector<std::size_t> position(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        position[order[i]] = i;
    for (std::size_t a = 0; a < items.size(); ++a)
        for (std::size_t b = 0; b < items.size(); ++b)
            EXPECT_EQ(Sign(folder.CompareIDs(0, items[a], items[b])), Sign(int(position[a]) - int(position[b])))
                << items[a].LastName() << " / " << items[b].LastName();
}

} // namespace

TEST(ShellFolderOrder, SortingManyAtOnceAgreesWithComparingTwo)
{
    const ItemIdList path = DriveIdList("/").Append(IdKind::Name, "x", HintFolder | HintTypeKnown).value();
    const auto folder = SHGetDesktopFolder()->BindToObject(path);
    ASSERT_TRUE(folder);
    std::vector<ItemIdList> items;
    const uint8_t file = HintTypeKnown, dir = HintTypeKnown | HintFolder;
    for (const char* name : {"file10", "File2", "file1", "a", "A", "\xc3\xa4", "b\xff", "b\xfe", "10", "9", "Z", ".h"})
        items.push_back(path.Append(IdKind::Name, name, file).value().Last());
    for (const char* name : {"Dir10", "dir2", "dir2 ", "dir02"})
        items.push_back(path.Append(IdKind::Name, name, dir).value().Last());
    ExpectSameOrder(*folder, items);

    std::vector<ItemIdList> drives;
    for (const char* mountPoint : {"/mnt/b", "/", "/media/A", "/mnt/a10", "/mnt/a9"})
        drives.push_back(DriveIdList(mountPoint).Last());
    ExpectSameOrder(*SHGetDesktopFolder()->BindToObject(ComputerIdList()), drives);
}
