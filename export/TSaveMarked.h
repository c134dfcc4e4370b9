#pragma once

#include "core/FolderList.h"
#include "core/TIconList.h"
#include "core/TfileList.h"
#include "export/BatchFileNames.h"
#include "export/NumberedFileWriter.h"
#include "export/OutputStream.h"
#include "export/SaveMarkedMailbox.h"
#include "export/TafIcon.h"
#include "platform/jobs/Job.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbisk {

// Writes one icon's file contents into stream.
using IconStreamWriter = std::function<void(OutputStream& stream, const TafIcon& icon)>;

// What one batch save reads, copied when it starts.
struct SaveMarkedJob {
    // The destination folder, as the folder browser returned it.
    std::string Folder;
    // A SaveFormat; any other value saves nothing and every icon is reported
    // as failed.
    int SaveFileExt = SaveAsIcon;
    // The colour count of icon files and the display depth of bitmap files.
    int32_t ColorCount = 0;
    int DisplayBits = 32;
    // Replaces the format's own writer when set (tests make it fail).
    IconStreamWriter Write;
    // Replaces the one sync that ends the batch when set (tests make it
    // fail).
    std::function<std::error_code(const NumberedFileWriter& files)> MakeDurable;
};

// The batch-save worker, run as a Job: it saves every marked icon of the
// list, in list order, as folder/icon1.ico, icon2.ico ... (or .bmp),
// replacing files of those names, and clears each mark as it handles the
// icon. An icon that cannot be saved becomes an error line and the batch
// goes on; the lines are shown together at the end, in one box the worker
// waits for. It stops before the next icon once cancelled, and always asks
// for the progress dialog to close as its last report.
//
// The files are made durable together at the end, with one sync of the
// destination's file system (on the worker, never the window thread), whose
// failure is one more error line; a file that fails is never left, whole or
// in part, under its name. A name in the folder that is a link, a folder or
// a special file is not written (see NumberedFileWriter): that icon gets an
// error line.
//
// It reads the lists and writes only the marks, each time through its job's
// gate and only for as long as that takes: nobody may change the lists while
// the job is attached, and once it is left behind it touches them no more.
// Everything else it uses is its own: the job, a reference to each icon's
// image, the icon's name, an icon object (never the window's) and the
// mailbox it shares with the batch.
class TSaveMarked {
public:
    TSaveMarked(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders,
        std::shared_ptr<SaveMarkedMailbox> mailbox);
    TSaveMarked(const TSaveMarked&) = delete;
    TSaveMarked& operator=(const TSaveMarked&) = delete;

    void Run(JobControl& control);

private:
    // False when the job was left behind.
    bool SaveMarkedIcons(JobControl& control, NumberedFileWriter& files);
    void SaveMarkedIcon(NumberedFileWriter& files, HICON handle, const std::string& source, int n);
    // The icon as the error line names it: its file's path, " #" and its
    // number in the file.
    std::string Source(const IconEntry& entry) const;
    void WriteFile(OutputStream& file, const TafIcon& icon) const;

    SaveMarkedJob job_;
    TIconList& icons_;
    const TfileList& files_;
    const FolderList& folders_;
    std::shared_ptr<SaveMarkedMailbox> mailbox_;
    std::vector<std::string> errors_;
};

} // namespace orbisk
