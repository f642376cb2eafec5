#pragma once

#include "sorter/records.h"

#include <cstdint>
#include <vector>

/// The listing number of the folder named on the command line; each level below uses one
/// more than its parent.
constexpr std::int64_t top_scan_listing = 100;

/// What a scan found, and the folders it could not list.
struct scan_result {
  file_list files;
  std::vector<text> folders_not_listed; // in the order met: their files were never seen
};

/// Records every entry of the directory that is not a directory, in listing order; with
/// -r descends into each subdirectory where its entry is met (depth first) under the next
/// listing number. A folder reached through a link is not entered, and no folder is listed
/// twice. With -v prints a line as each folder is begun. The last-write time is read only
/// when a date can reach a name.
scan_result scan(const text &path, const run_options &options);

/// Prints one line for each folder that could not be listed; nothing when all could.
void print_folders_not_listed(const scan_result &scanned);
