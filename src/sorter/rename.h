#pragma once

#include "sorter/disk.h"
#include "sorter/plan.h"
#include "sorter/records.h"

#include <string_view>

/// Unless -s: asks for a key (unless -u; Esc aborts with nothing changed), removes the
/// second names the plan found, then renames every job's file in two passes through the
/// disk, old name to temporary name, then temporary name to final name, reporting each
/// pass (with -v the first pass line by line, and why a rename failed). A job already under
/// its temporary name (-f) needs no first pass; when none needs one, the first pass and its
/// report are left out. Nothing is retried and nothing is moved back.
void confirm_and_rename(disk &disk, const plan &planned, const run_options &options);

/// What a failure of an operation on a file says to the user.
std::u16string_view failure_text(file_failure failure);
