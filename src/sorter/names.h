#pragma once

#include "sorter/run_state.h"

/// The final name of a job: long form [date_]G-HEVC|AVC-recording-chapter.mp4 (no date
/// part for a file without a valid date), or with short_names the 8.3 form
/// G<codec><recording><chapter>.mp4 (no date); a sidecar ends in its own extension.
text final_name_of(const rename_job &job, bool date_prefix, bool short_names);

/// Sets every job's final name and its temporary name: four random digits (1000..9999),
/// "_" and the final name. One random draw per job, in job order. With -f a job's old name
/// is its temporary name, its final name that without the digits and "_"; it draws nothing.
void assign_new_names();

/// Prints the renaming preview: one line per job, bare old and final names.
void print_preview();
