#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace orbisk {

// The names under which several icons are saved into one folder, and the line
// that reports an icon that could not be saved. The batch save and
// orbisk-extract save-all both use these, so their files and messages agree.

// The formats one icon is saved in. The values are those of the batch
// save's "SaveFileExt" setting; Save icon's file dialog offers the formats
// in the same order.
enum SaveFormat : int32_t {
    SaveAsIcon = 0,
    SaveAsBitmap = 1,
};

// ".ico" or ".bmp"; nullptr for a value that names no format (a setting read
// from a file: nothing is written then).
const char* SaveFileExtension(SaveFormat format);

// folder + "/icon" + n + extension, joined as every path of the program is
// (JoinPath): one separator even when the folder already ends with one, so
// the root "/" gives "/icon1.ico".
std::string BatchSaveFileName(const std::string& folder, int n, const std::string& extension);
// The name alone: "icon" + n + extension.
std::string BatchSaveName(int n, const std::string& extension);

// "Error saving <source> to <destination>", where source names the icon as
// its file path, " #" and its index in the file.
std::string BatchSaveErrorLine(const std::string& source, const std::string& destination);

// "Error writing icons to <folder>: <the system's message>": the files of a
// batch could not be made durable, so some of them may be lost.
std::string BatchSyncErrorLine(const std::string& folder, const std::error_code& error);

} // namespace orbisk
