#pragma once

#include "sorter/records.h"

/// The final name of a job: long form [date_]G-HEVC|AVC-recording-chapter.mp4, or with
/// short_names the 8.3 form G<codec><recording><chapter>.mp4 (no date); a sidecar ends in
/// its own extension.
text final_name_of(const rename_job &job, const run_options &options);

/// Sets every job's final name and its temporary name: four random digits (1000..9999),
/// "_" and the final name. One random draw per job, in job order.
void assign_new_names(job_list &jobs, const run_options &options);

/// Prints the renaming preview: one line per job, bare old and final names.
void print_preview(const job_list &jobs);
