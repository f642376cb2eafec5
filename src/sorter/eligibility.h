#pragma once

#include "runtime/text.h"

#include <cstddef>
#include <cstdint>

/// The length of the "1234_" in front of a temporary name.
constexpr std::size_t temporary_prefix_length = 5;

/// Whether a name has the camera's chapter-file shape: 12 code units, the first "G" and
/// the last three "MP4" after upper-casing. Nothing else is looked at.
bool eligibility_test(std::u16string_view name);

/// Whether a name is a temporary name this program gives: four digits from 1000 to 9999,
/// "_", then a final name it gives: [date_]G-HEVC-rrrr-cc or [date_]G-AVC-rrrr-cc, or an
/// 8.3 name G + seven characters, each with ".mp4", ".lrv" or ".thm". The test of -f.
bool temporary_name_test(std::u16string_view name);

/// A sidecar's own extension in lower case (".lrv" or ".thm") when the name has the shape
/// of one: 12 code units, "." ninth, LRV or THM last in any case; the empty text otherwise.
text sidecar_extension(std::u16string_view name);

/// Marks the eligible records of the file list, reporting each with -v; returns how many.
/// With -f the temporary-name test stands in for the chapter-file test.
std::int64_t eligibility_pass();

/// Appends one rename job per eligible record: codec letter, chapter, recording number
/// and the last-write time through the date-prefix mask. With -l each video's sidecars
/// (found in one pass over the file list) follow its job, carrying its pieces.
void job_building_pass();
