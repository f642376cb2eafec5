#pragma once

#include "sorter/disk.h"
#include "sorter/records.h"

#include <vector>

/// What a scan found: the files, and the folders it listed and could not list, each as
/// shown and in the order met.
struct scan_result {
  file_list files;
  std::vector<text> folders_listed;
  std::vector<text> folders_not_listed; // their files were never seen
};

/// Records every entry of the folder that is not a folder, in listing order, each name
/// taken apart once; with recursive descends into each subfolder where its entry is met
/// (depth first). A folder reached through a link is not entered, and no folder is listed
/// twice. The last-write times are read only with_times.
scan_result scan(disk &disk, const text &path, bool recursive, bool with_times);
