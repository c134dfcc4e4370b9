#pragma once

#include "core/FolderList.h"
#include "core/TIconList.h"
#include "core/TfileList.h"
#include "export/NumberedFileWriter.h"
#include "export/OutputStream.h"
#include "export/SaveMarkedMailbox.h"
#include "export/TafIcon.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orbisk {

// Writes one icon's file contents into stream.
using IconStreamWriter = std::function<void(OutputStream& stream, const TafIcon& icon)>;

// What one batch save reads, copied when it starts.
struct SaveMarkedJob {
    // The destination folder, as the folder browser returned it.
    std::string Folder;
    // 0 icon files, 1 bitmap files; any other value saves nothing and every
    // icon is reported as failed.
    int SaveFileExt = 0;
    // The colour count of icon files and the display depth of bitmap files.
    int32_t ColorCount = 0;
    int DisplayBits = 32;
    // Replaces the format's own writer when set (tests make it fail).
    IconStreamWriter Write;
    // Replaces the one sync that ends the batch when set (tests make it
    // fail).
    std::function<std::error_code(const NumberedFileWriter& files)> MakeDurable;
};

// The batch-save worker: one thread that saves every marked icon of the list,
// in list order, as folder/icon1.ico, icon2.ico ... (or .bmp), replacing files
// of those names, and clears each mark as it handles the icon. An icon that
// cannot be saved becomes an error line and the batch goes on; the lines are
// shown together at the end, in one box the worker waits for. It stops before
// the next icon once cancelled is set, and always asks for the progress
// dialog to close as its last report.
//
// The files are made durable together at the end, with one sync of the
// destination's file system, whose failure is one more error line; a file
// that fails is never left, whole or in part, under its name. A name in the
// folder that is a link, a folder or a special file is not written (see
// NumberedFileWriter): that icon gets an error line.
//
// It reads the lists and writes only the marks: nobody may change the lists
// until it has ended. It draws and writes through an icon object of its own,
// never the window's.
class TSaveMarked {
public:
    // Starts the thread at once. Throws std::system_error when no thread can
    // be made.
    TSaveMarked(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders,
        SaveMarkedMailbox& mailbox, const std::atomic<bool>& cancelled);
    TSaveMarked(const TSaveMarked&) = delete;
    TSaveMarked& operator=(const TSaveMarked&) = delete;
    // Joins; the owner cancels and releases the mailbox first if it cannot
    // wait for the whole batch.
    ~TSaveMarked();

    // Waits up to timeout for the thread's work to end; true when it has.
    bool WaitFor(std::chrono::milliseconds timeout);
    bool Finished() const;
    void Join();

private:
    void Run();
    void SaveMarkedIcon(NumberedFileWriter& files, std::size_t i, int n);
    // The icon as the error line names it: its file's path, " #" and its
    // number in the file.
    std::string Source(const IconEntry& entry) const;
    void WriteFile(OutputStream& file) const;

    SaveMarkedJob job_;
    TIconList& icons_;
    const TfileList& files_;
    const FolderList& folders_;
    SaveMarkedMailbox& mailbox_;
    const std::atomic<bool>& cancelled_;
    TafIcon icon_;
    std::vector<std::string> errors_;

    mutable std::mutex mutex_;
    std::condition_variable finishedCv_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace orbisk
