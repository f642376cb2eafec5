#pragma once

#include "sorter/plan.h"
#include "sorter/records.h"

/// The -v report of what the planning took: the number of files, each file examined with
/// its match (or why a name of the shape looked for is not taken), and the count of files
/// taken. Nothing for no files.
void print_examination(const file_list &files, const plan &planned);
