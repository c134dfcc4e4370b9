#pragma once

#include "platform/notify/InotifyEvent.h"
#include "platform/notify/ShellChangeEvents.h"
#include "platform/notify/WatchTable.h"

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace orbisk {

// Turns what an inotify instance reports, one read at a time, into shell
// change records for the folders of a WatchTable, and keeps the table in
// step with folders that move or go. It needs no descriptor of its own: the
// bytes of a read are enough, so it runs the same under test.
//
// A rename is a moved-from and a moved-to event with one cookie. A read may
// end between the two (reads stop after a number of records), so moved-from
// events that end a read are held until the next read; only when that read
// lacks the partner, or the owner's timer of HeldMoveMilliseconds runs out
// first (ReleaseHeldMoves), does a held half become a delete. A renamed
// folder keeps its watches under its new name.
//
// When the kernel's queue overflowed, events are lost: every watched folder
// is reported as updated, so that owners read them again.
class InotifyDecoder {
public:
    // Only the platform events in `events` are reported.
    InotifyDecoder(WatchTable& table, uint32_t events) : table_(table), events_(events) {}

    void SetEvents(uint32_t events) { events_ = events; }

    // Told when a watched folder moved within what is watched, before the
    // rename is reported.
    std::function<void(const ItemIdList& from, const ItemIdList& to)> OnFolderMoved;

    // One read: the bytes as read, or the events parsed from them. Records
    // are appended to `out` in the order of the events.
    void Decode(std::span<const char> bytes, std::vector<ShellChangeRecord>& out);
    void Decode(std::vector<InotifyEvent> events, std::vector<ShellChangeRecord>& out);

    bool HoldsMove() const { return !held_.empty(); }
    // The partners of the held moved-from events are not coming: each is a
    // delete (or a move out of sight).
    void ReleaseHeldMoves(std::vector<ShellChangeRecord>& out);
    // How long an owner waits for the next read before releasing.
    static constexpr int HeldMoveMilliseconds = 50;

private:
    void DecodeOne(const InotifyEvent& e, std::vector<ShellChangeRecord>& out);
    void DecodeSelf(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                    std::vector<ShellChangeRecord>& out);
    void DecodeCreated(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                       std::vector<ShellChangeRecord>& out);
    void DecodeDeleted(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                       std::vector<ShellChangeRecord>& out);
    void DecodeChanged(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                       std::vector<ShellChangeRecord>& out);
    void DecodePair(const InotifyEvent& from, const InotifyEvent& to, std::vector<ShellChangeRecord>& out);
    void DecodeOverflow(std::vector<ShellChangeRecord>& out);
    void Emit(std::vector<ShellChangeRecord>& out, const std::optional<ItemIdList>& item, uint32_t events) const;
    void Emit(std::vector<ShellChangeRecord>& out, ShellChangeRecord record) const;

    WatchTable& table_;
    uint32_t events_;
    std::vector<InotifyEvent> held_;
};

} // namespace orbisk
