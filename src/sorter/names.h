#pragma once

#include "sorter/records.h"
#include "sorter/start_time.h"

#include <cstdint>
#include <functional>

struct plan;

/// Which date a chapter's final name carries: none (plain), the 8.3 form's none (-o), the
/// start of its recording (-t, when one was read), or the file's last change (-d, and -t
/// without a start time, read through disk only then). The one place that decides it.
name_parts final_parts_for(const found_file_record &record, const run_options &options,
                           const start_times &times, disk &disk);

/// Gives every job that needs one its temporary name: a number (1000..9999) from draw, "_"
/// and the job's final name. One draw per job, in job order; a job already under its
/// temporary name draws nothing.
void assign_new_names(job_list &jobs, const std::function<std::uint64_t()> &draw);

/// Prints the renaming preview: one line per job, bare old and final names, then one per
/// second name that goes.
void print_preview(const plan &planned);
