// Fuzzes the inotify record decoder with the bytes of reads: the input is
// parsed into records and handed over in reads of a length the first byte
// chooses, so that renames split across reads and held halves are explored.
// The table holds what a tree's watcher holds: a registration's own folder,
// the desktop folder, and two loaded folders, one below the other.

#include "platform/namespace/PathParsing.h"
#include "platform/notify/InotifyDecoder.h"
#include "platform/notify/LoadedFolders.h"

#include <cstdlib>
#include <map>

namespace {

// One descriptor per path, as the kernel gives one per watched object. No
// path exists, so the decoder's looks at entries find nothing.
class FakeKernel : public orbisk::WatchDescriptors {
public:
    int AddWatch(const std::string& path, uint32_t) override
    {
        const auto [it, added] = wds_.emplace(path, int(wds_.size()) + 1);
        return it->second;
    }
    void RemoveWatch(int) override {}

private:
    std::map<std::string, int> wds_;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// What every record must be, whatever the kernel said.
void CheckRecord(const orbisk::ShellChangeRecord& r, uint32_t asked)
{
    using namespace orbisk;
    Check(r.events != 0 && (r.events & ~asked) == 0);
    Check(r.first && r.second);
    for (const std::optional<ItemIdList>& list : {r.first, r.second}) {
        if (list->IsEmpty() || list->LastKind() == IdKind::Drive)
            continue;
        const std::string_view name = list->LastName();
        Check(name.find('/') == std::string_view::npos && name != "." && name != "..");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orbisk;
    if (size < 2)
        return 0;
    const std::size_t perRead = data[0] % 16 + 1;
    // Bit 0 of the second byte leaves renames out, as a watcher that is not
    // asked for them registers.
    const uint32_t asked = (data[1] & 1) ? ~uint32_t(ChangeRenameItem | ChangeRenameFolder) : ~0u;
    const std::span<const char> bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    FakeKernel kernel;
    WatchTable table(kernel, 0);
    LoadedFolders loaded;
    const ItemIdList root = DriveIdList("/").Append(IdKind::Name, "orbisk-fuzz", HintFolder | HintTypeKnown).value();
    const ItemIdList a = root.Append(IdKind::Name, "a", HintFolder | HintTypeKnown).value();
    const ItemIdList b = a.Append(IdKind::Name, "b", HintFolder | HintTypeKnown).value();
    table.Add(root, "/orbisk-fuzz", false, true);          // descriptor 1
    table.Add(ItemIdList(), "/orbisk-fuzz-desktop", true, true); // 2
    table.Add(a, "/orbisk-fuzz/a", false, false);          // 3
    table.Add(b, "/orbisk-fuzz/a/b", false, false);        // 4
    loaded.Add(a);
    loaded.Add(b);
    InotifyDecoder decoder(table, asked);
    decoder.OnFolderMoved = [&](const ItemIdList& from, const ItemIdList& to) { loaded.Move(from, to); };

    const std::vector<InotifyEvent> events = ParseInotifyEvents(bytes);
    std::vector<ShellChangeRecord> out;
    for (std::size_t at = 0; at < events.size(); at += perRead) {
        const auto end = events.begin() + std::ptrdiff_t(std::min(events.size(), at + perRead));
        decoder.Decode(std::vector<InotifyEvent>(events.begin() + std::ptrdiff_t(at), end), out);
    }
    decoder.ReleaseHeldMoves(out);
    Check(!decoder.HoldsMove());
    for (const ShellChangeRecord& r : out)
        CheckRecord(r, asked);
    Check(table.Count() <= 4 && loaded.Size() <= 2);
    return 0;
}
