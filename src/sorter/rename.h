#pragma once

#include "runtime/console.h"
#include "sorter/disk.h"
#include "sorter/plan.h"
#include "sorter/records.h"
#include "sorter/report.h"

#include <cstdint>
#include <functional>

/// Gives every job that needs one its temporary name: a number (1000..9999) from draw, "_"
/// and the job's final name. One draw per job, in job order; a job already under its
/// temporary name draws nothing.
void assign_new_names(job_list &jobs, const std::function<std::uint64_t()> &draw);

/// Unless -s: asks for a key (unless -u; Esc aborts with nothing changed), removes the
/// second names the plan found, then renames every job's file in two passes through the
/// disk, old name to temporary name, then temporary name to final name, reporting each
/// pass (with -v the first pass line by line, and why a rename failed). A name is moved or
/// removed first only while it still holds what the scan found. A job already under its
/// temporary name (-f) needs no first pass; when none needs one, the first pass and its
/// report are left out. Nothing is retried and nothing is moved back.
void confirm_and_rename(disk &disk, reporter &report, const plan &planned, const run_options &options);
