#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/ShellAttributes.h"
#include "platform/namespace/ShellFolder.h"

#include <gtest/gtest.h>

using namespace orbisk;

namespace {
ItemIdList Chain(std::initializer_list<const char*> names)
{
    ItemIdList list = ItemIdList::Element(IdKind::Computer).Append(IdKind::Drive, "/").value();
    for (const char* n : names)
        list = list.Append(IdKind::Name, n).value();
    return list;
}
} // namespace

TEST(ItemIdList, EqualityIsElementWiseWhateverHowTheListsWereMade)
{
    const ItemIdList a = Chain({"usr", "share"});
    const ItemIdList b = Chain({"usr", "share"});
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.Hash(), b.Hash());
    EXPECT_NE(a, Chain({"usr", "shar"}));
    EXPECT_NE(a, Chain({"usr"}));
    // Hints are what an element learnt, not what it names.
    EXPECT_EQ(Chain({"usr"}).Append(IdKind::Name, "x", HintFolder | HintTypeKnown).value(), Chain({"usr", "x"}));
    // A name element is not a drive element of the same text.
    EXPECT_NE(ItemIdList::Element(IdKind::Name, "/"), ItemIdList::Element(IdKind::Drive, "/"));
    EXPECT_EQ(ItemIdList(), ItemIdList());
    EXPECT_TRUE(ItemIdList().IsEmpty());
}

TEST(ItemIdList, ParentLastAndCombineKeepTheChainApart)
{
    const ItemIdList folder = Chain({"home"});
    const ItemIdList child = folder.Append(IdKind::Name, "user").value();
    EXPECT_EQ(child.WithoutLast(), folder);
    EXPECT_EQ(child.Count(), 4);
    EXPECT_EQ(child.Last().Count(), 1);
    EXPECT_EQ(child.Last().LastName(), "user");
    EXPECT_TRUE(child.StartsWith(folder));
    EXPECT_FALSE(folder.StartsWith(child));
    EXPECT_EQ(child.Prefix(2), Chain({}));

    // A child's last element combined with its own folder shares the chain;
    // combined with another folder it is copied there.
    EXPECT_EQ(ItemIdList::Combine(folder, child.Last()).value(), child);
    const ItemIdList elsewhere = ItemIdList::Combine(Chain({"tmp"}), child.Last()).value();
    EXPECT_EQ(elsewhere, Chain({"tmp", "user"}));
    EXPECT_EQ(child, Chain({"home", "user"})); // the original is untouched

    // A relative list of several elements, combined onto the desktop.
    const ItemIdList rel = child.Prefix(4);
    EXPECT_EQ(ItemIdList::Combine(ItemIdList(), rel).value(), child);
    EXPECT_TRUE(ItemIdList().WithoutLast().IsEmpty());
    EXPECT_TRUE(ItemIdList().Last().IsEmpty());
}

TEST(ItemIdList, OutlivesTheListsItWasMadeFromAndStopsAtItsDepthLimit)
{
    ItemIdList last;
    {
        ItemIdList deep = Chain({});
        for (int i = 0; i < 100; ++i)
            deep = deep.Append(IdKind::Name, "d" + std::to_string(i)).value();
        last = deep.Last();
    }
    EXPECT_EQ(last.LastName(), "d99");

    // Past the limit there is no list, never the empty one (the desktop).
    ItemIdList deep = Chain({});
    while (deep.Count() < ItemIdList::MaxElements)
        deep = deep.Append(IdKind::Name, "x").value();
    const ItemIdList below = ItemIdList::Element(IdKind::Name, "y");
    EXPECT_FALSE(deep.Append(IdKind::Name, "x").ok());
    EXPECT_FALSE(ItemIdList::Combine(deep, below).ok());
    EXPECT_FALSE(ItemIdList::Combine(deep.WithoutLast(), below.Append(IdKind::Name, "z").value()).ok());
    EXPECT_TRUE(ItemIdList::Combine(deep.WithoutLast(), below).ok());

    // A folder at the limit has no items below it, rather than desktop ones.
    const ShellFolder folder(deep);
    EXPECT_EQ(folder.GetAttributesOf(below, AttrFolder | AttrFileSystem), 0u);
    EXPECT_EQ(folder.BindToObject(below), nullptr);
    EXPECT_TRUE(folder.GetDisplayNameOf(below, NameForm::Normal).isEmpty());
}
