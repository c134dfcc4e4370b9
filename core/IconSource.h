#pragma once

#include "core/FolderList.h"
#include "core/TIconList.h"
#include "core/TfileList.h"

#include <cstddef>
#include <string>

namespace orbisk {

// The path of file fileIndex of a scan: its folder joined with its name
// (JoinPath). Empty when fileIndex, or the folder index the file records,
// lies outside the lists, as it may in lists read while a worker appends.
std::string ScanFilePath(const FolderList& folders, const TfileList& files, std::size_t fileIndex);

// An icon as messages name it: its file's path, " #" and its position in
// the file.
std::string IconSourceName(const FolderList& folders, const TfileList& files, const IconEntry& entry);

} // namespace orbisk
