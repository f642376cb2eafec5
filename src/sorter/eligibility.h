#pragma once

#include "sorter/camera_names.h"
#include "sorter/records.h"

#include <cstdint>

/// A name test: which names a run takes (eligibility_test, or with -f temporary_name_test).
using name_test = name_verdict (*)(std::u16string_view name);

/// Marks the records of the file list whose names the test takes; returns how many.
std::int64_t eligibility_pass(file_list &files, name_test test);

/// The -v report of the eligibility pass: the number of files, each file examined with its
/// match (or why a camera name is not taken), and the count. Nothing for no files.
void print_examination(const file_list &files, std::int64_t eligible, name_test test);
