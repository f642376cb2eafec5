#pragma once

#include "runtime/text.h"

#include <cstdint>

/// Whether a name has the camera's chapter-file shape: 12 code units, the first "G" and
/// the last three "MP4" after upper-casing. Nothing else is looked at.
bool eligibility_test(std::u16string_view name);

/// Marks the eligible records of the file list, reporting each with -v; returns how many.
std::int64_t eligibility_pass();

/// Appends one rename job per eligible record: codec letter, chapter, recording number
/// and the last-write time through the date-prefix mask.
void job_building_pass();
