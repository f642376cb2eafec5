#pragma once

#include "sorter/disk.h"
#include "sorter/records.h"

#include <vector>

/// What a scan found, and the folders it could not list.
struct scan_result {
  file_list files;
  std::vector<text> folders_not_listed; // as shown, in the order met: their files were never seen
};

/// Records every entry of the folder that is not a folder, in listing order, each name
/// taken apart once; with -r descends into each subfolder where its entry is met (depth
/// first). A folder reached through a link is not entered, and no folder is listed twice.
/// With -v prints a line as each folder is begun. The last-write time is read only when a
/// date can reach a name.
scan_result scan(disk &disk, const text &path, const run_options &options);

/// Prints one line for each folder that could not be listed; nothing when all could.
void print_folders_not_listed(const scan_result &scanned);
