#pragma once

#include "runtime/text.h"

#include <cstdint>

/// The listing number of the folder named on the command line; each level below uses one
/// more than its parent.
constexpr std::int64_t top_scan_listing = 100;

/// Appends every entry of the directory that is not a directory to the file list, in
/// listing order; with recursive, descends into each subdirectory where its entry is met
/// (depth first) under the next listing number. A folder reached through a link is not
/// entered, and no folder is listed twice in one run. A directory that cannot be listed
/// is skipped silently.
void scan(const text &path, bool recursive, std::int64_t listing_number);
