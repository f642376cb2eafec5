#pragma once

#include "sorter/records.h"

/// Unless -s: asks for a key (unless -u; Esc aborts with nothing changed), then renames
/// every job's file in two passes, old name to temporary name, then temporary name to
/// final name, reporting each pass (with -v the first pass line by line). A job already
/// under its temporary name (-f) needs no first pass; when none needs one, the first pass
/// and its report are left out. Nothing is retried and nothing is moved back.
void confirm_and_rename(const job_list &jobs, const run_options &options);
