// PE and NE files for tests: headers just complete enough for a resource
// reader, one .rsrc section, RT_ICON and RT_GROUP_ICON resources.

#include "tests/support/ByteWriter.h"
#include "tests/support/Fixtures.h"

namespace orbisk::test {

namespace {

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kFileAlignment = 0x200;

struct Resource {
    bool named = false;
    std::string name;
    uint16_t id = 0;
    Bytes data;
};

// GRPICONDIR of a group whose images got RT_ICON ids firstId, firstId+1, ...
Bytes GroupDirectory(const GroupSpec& g, const std::vector<Bytes>& images, uint16_t firstId)
{
    ByteWriter out;
    out.U16(0), out.U16(1), out.U16(uint32_t(g.images.size() + g.missingIcons.size()));
    for (std::size_t i = 0; i < g.images.size(); ++i) {
        const ImageSpec& s = g.images[i];
        const int bits = s.png ? 32 : s.bits;
        out.U8(s.width >= 256 ? 0 : uint32_t(s.width)), out.U8(s.height >= 256 ? 0 : uint32_t(s.height));
        out.U8(bits < 8 ? (1u << bits) : 0), out.U8(0), out.U16(1), out.U16(uint32_t(bits));
        out.U32(uint32_t(images[i].size())), out.U16(uint32_t(firstId + i));
    }
    for (uint16_t missing : g.missingIcons)
        out.U8(32), out.U8(32), out.U8(0), out.U8(0), out.U16(1), out.U16(32), out.U32(4264), out.U16(missing);
    return std::move(out.Bytes());
}

// The icons and groups of a file: images numbered 1, 2, ... in order.
void Collect(const std::vector<GroupSpec>& groups, std::vector<Resource>& icons, std::vector<Resource>& named,
             std::vector<Resource>& numeric)
{
    uint16_t nextId = 1;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        std::vector<Bytes> images;
        const uint16_t firstId = nextId;
        for (const ImageSpec& s : groups[g].images) {
            images.push_back(IconImage(s));
            icons.push_back({ false, {}, nextId++, images.back() });
        }
        Resource r { !groups[g].name.empty(), groups[g].name,
                     groups[g].id ? groups[g].id : uint16_t(g + 1), GroupDirectory(groups[g], images, firstId) };
        (r.named ? named : numeric).push_back(r);
    }
}

void DirectoryHeader(ByteWriter& w, std::size_t named, std::size_t ids)
{
    w.U32(0), w.U32(0), w.U16(0), w.U16(0), w.U16(uint32_t(named)), w.U16(uint32_t(ids));
}

// The .rsrc section's bytes; `base` is its file offset (for the layout).
Bytes ResourceSection(const std::vector<Resource>& icons, const std::vector<Resource>& groups, uint32_t base,
                      PeLayout& layout)
{
    ByteWriter w;
    DirectoryHeader(w, 0, 2);
    const std::size_t rootEntries = w.Pos();
    w.Zeros(16);
    std::vector<const std::vector<Resource>*> types { &icons, &groups };
    std::vector<std::size_t> typeDir, entryAt[2];
    for (int t = 0; t < 2; ++t) {
        const auto& list = *types[std::size_t(t)];
        typeDir.push_back(w.Pos());
        std::size_t namedCount = 0;
        for (const Resource& r : list)
            namedCount += r.named;
        DirectoryHeader(w, namedCount, list.size() - namedCount);
        for (std::size_t i = 0; i < list.size(); ++i)
            entryAt[t].push_back(w.Pos()), w.Zeros(8);
    }
    w.PatchU32(rootEntries, 3), w.PatchU32(rootEntries + 4, 0x80000000u | uint32_t(typeDir[0]));
    w.PatchU32(rootEntries + 8, 14), w.PatchU32(rootEntries + 12, 0x80000000u | uint32_t(typeDir[1]));
    std::vector<std::size_t> languageTarget[2], dataEntry[2];
    for (int t = 0; t < 2; ++t) {
        const auto& list = *types[std::size_t(t)];
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::size_t languageDirectory = w.Pos();
            DirectoryHeader(w, 0, 1);
            w.U32(0x409), languageTarget[t].push_back(w.Pos()), w.U32(0);
            w.PatchU32(entryAt[t][i] + 4, 0x80000000u | uint32_t(languageDirectory));
            if (!list[i].named)
                w.PatchU32(entryAt[t][i], list[i].id);
        }
    }
    for (int t = 0; t < 2; ++t) {
        const auto& list = *types[std::size_t(t)];
        for (std::size_t i = 0; i < list.size(); ++i) {
            dataEntry[t].push_back(w.Pos());
            w.PatchU32(languageTarget[t][i], uint32_t(w.Pos()));
            w.Zeros(16);
            if (list[i].named) {
                w.PatchU32(entryAt[t][i], 0x80000000u | uint32_t(w.Pos()));
                w.U16(uint32_t(list[i].name.size()));
                for (char c : list[i].name)
                    w.U16(uint8_t(c));
                w.Align(4);
            }
        }
    }
    for (int t = 0; t < 2; ++t) {
        const auto& list = *types[std::size_t(t)];
        for (std::size_t i = 0; i < list.size(); ++i) {
            w.Align(8);
            w.PatchU32(dataEntry[t][i], kSectionRva + uint32_t(w.Pos()));
            w.PatchU32(dataEntry[t][i] + 4, uint32_t(list[i].data.size()));
            (t == 0 ? layout.iconData : layout.groupData).push_back(base + uint32_t(w.Pos()));
            if (t == 1)
                layout.groupEntry.push_back(base + uint32_t(entryAt[t][i]));
            w.Append(list[i].data);
        }
    }
    layout.iconTypeDirectory = base + uint32_t(typeDir[0]);
    layout.groupTypeDirectory = base + uint32_t(typeDir[1]);
    return std::move(w.Bytes());
}

} // namespace

Bytes PeFile(const std::vector<GroupSpec>& groups, PeKind kind, PeLayout* layoutOut)
{
    std::vector<Resource> icons, named, numeric;
    Collect(groups, icons, named, numeric);
    named.insert(named.end(), numeric.begin(), numeric.end());
    PeLayout layout;
    const bool plus = kind == PeKind::Pe32Plus;
    const uint32_t optionalSize = plus ? 240 : 224;
    Bytes rsrc = ResourceSection(icons, named, kFileAlignment, layout);

    ByteWriter w;
    w.U16(0x5a4d), w.Zeros(58), w.U32(0x40);
    layout.peHeader = uint32_t(w.Pos());
    w.U32(0x00004550), w.U16(plus ? 0x8664 : 0x14c), w.U16(1), w.U32(0), w.U32(0), w.U32(0);
    w.U16(optionalSize), w.U16(0x2102);
    layout.optionalHeader = uint32_t(w.Pos());
    const std::size_t opt = w.Pos();
    w.Zeros(optionalSize);
    w.PatchU16(opt, plus ? 0x20b : 0x10b);
    w.PatchU32(opt + 32, kSectionRva), w.PatchU32(opt + 36, kFileAlignment);
    w.PatchU32(opt + 56, kSectionRva + uint32_t((rsrc.size() + 0xfff) & ~0xfffu)), w.PatchU32(opt + 60, kFileAlignment);
    const std::size_t dirs = opt + (plus ? 112 : 96);
    w.PatchU32(dirs - 4, 16);
    w.PatchU32(dirs + 16, kSectionRva), w.PatchU32(dirs + 20, uint32_t(rsrc.size()));
    layout.sectionTable = uint32_t(w.Pos());
    const uint32_t raw = uint32_t((rsrc.size() + kFileAlignment - 1) & ~(kFileAlignment - 1));
    w.U8('.'), w.U8('r'), w.U8('s'), w.U8('r'), w.U8('c'), w.Zeros(3);
    w.U32(uint32_t(rsrc.size())), w.U32(kSectionRva), w.U32(raw), w.U32(kFileAlignment);
    w.Zeros(12), w.U32(0x40000040);
    w.Align(kFileAlignment);
    layout.resourceRoot = uint32_t(w.Pos());
    layout.resourceRva = kSectionRva;
    w.Append(rsrc);
    w.Align(kFileAlignment);
    if (layoutOut)
        *layoutOut = layout;
    return std::move(w.Bytes());
}

Bytes NeFile(const std::vector<GroupSpec>& groups, NeLayout* layoutOut)
{
    std::vector<Resource> icons, named, numeric;
    Collect(groups, icons, named, numeric);
    named.insert(named.end(), numeric.begin(), numeric.end());
    constexpr uint32_t shift = 4;
    NeLayout layout;
    ByteWriter w;
    w.U16(0x5a4d), w.Zeros(58), w.U32(0x40);
    layout.neHeader = uint32_t(w.Pos());
    const std::size_t ne = w.Pos();
    w.Zeros(64);
    w.PatchU16(ne, 0x454e);
    layout.resourceTable = uint32_t(w.Pos());
    const std::size_t table = w.Pos();
    w.U16(shift);
    std::vector<std::size_t> iconInfo, groupInfo;
    w.U16(0x8003), w.U16(uint32_t(icons.size())), w.U32(0);
    for (std::size_t i = 0; i < icons.size(); ++i)
        iconInfo.push_back(w.Pos()), w.Zeros(12);
    w.U16(0x800e), w.U16(uint32_t(named.size())), w.U32(0);
    for (std::size_t i = 0; i < named.size(); ++i)
        groupInfo.push_back(w.Pos()), w.Zeros(12);
    w.U16(0);
    for (std::size_t i = 0; i < named.size(); ++i) {
        if (named[i].named) {
            w.PatchU16(groupInfo[i] + 6, uint32_t(w.Pos() - table));
            w.U8(uint32_t(named[i].name.size()));
            for (char c : named[i].name)
                w.U8(uint8_t(c));
        } else {
            w.PatchU16(groupInfo[i] + 6, 0x8000u | named[i].id);
        }
    }
    w.U8(0);
    w.PatchU16(ne + 0x24, uint32_t(table - ne)), w.PatchU16(ne + 0x26, uint32_t(w.Pos() - ne));
    w.U8(0); // an empty resident-name table
    auto place = [&](const Resource& r, std::size_t info) {
        w.Align(1u << shift);
        w.PatchU16(info, uint32_t(w.Pos() >> shift));
        w.PatchU16(info + 2, uint32_t((r.data.size() + (1u << shift) - 1) >> shift));
        w.PatchU16(info + 4, 0x1c30);
        w.Append(r.data);
    };
    for (std::size_t i = 0; i < icons.size(); ++i) {
        w.PatchU16(iconInfo[i] + 6, 0x8000u | icons[i].id);
        place(icons[i], iconInfo[i]);
    }
    for (std::size_t i = 0; i < named.size(); ++i) {
        layout.groupNameInfo.push_back(uint32_t(groupInfo[i]));
        layout.groupData.push_back(uint32_t((w.Pos() + 15) & ~std::size_t(15)));
        place(named[i], groupInfo[i]);
    }
    w.Align(1u << shift);
    if (layoutOut)
        *layoutOut = layout;
    return std::move(w.Bytes());
}

} // namespace orbisk::test
