#pragma once

#include "sorter/records.h"

/// The final name of a job: G-HEVC|AVC-recording-chapter.mp4, with -d the date and "_" in
/// front (the "_" alone for a file without a valid date), or with -o the 8.3 form
/// G<codec><recording><chapter>.mp4 (no date); a sidecar ends in its own extension.
text final_name_of(const rename_job &job, const run_options &options);

/// Sets every job's final name (unless it has one) and its temporary name: four random
/// digits (1000..9999), "_" and the final name. One random draw per job, in job order.
void assign_new_names(job_list &jobs, const run_options &options);

/// Prints the renaming preview: one line per job, bare old and final names.
void print_preview(const job_list &jobs);
