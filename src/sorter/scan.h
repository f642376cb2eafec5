#pragma once

#include "runtime/text.h"

#include <cstdint>

/// Appends every entry of the directory that is not a directory to the file list, in
/// listing order; with recursive, descends into each subdirectory where its entry is met
/// (depth first) under the next listing number. A directory that cannot be listed, or
/// one already being listed higher up the same path (a link loop), is skipped silently.
void scan(const text &path, bool recursive, std::int64_t listing_number);
