#pragma once

#include "runtime/console.h"
#include "runtime/text.h"
#include "sorter/disk.h"
#include "sorter/records.h"

#include <cstdint>
#include <functional>

/// One run of the program, from the command line to the last report, and in a window of
/// its own the wait for a key before it closes. The process then ends with exit code 0,
/// whatever happened.
void run();

/// The stages after the switches, each handing its result to the next: banner, scan,
/// planning (which files, their new names), the examination and notes, preview,
/// confirmation and renaming. Every file is reached through the disk, every line goes out
/// through out, every temporary number is drawn from draw.
void sort_chapters(disk &disk, line_printer &out, const std::function<std::uint64_t()> &draw,
                   const text &path, const run_options &options);
