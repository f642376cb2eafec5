#pragma once

#include "runtime/console.h"
#include "sorter/report.h"

#include <memory>
#include <string_view>

/// -j: the plan and the outcome as JSON Lines, one object a line. In this order: a
/// "rename" object for each job and a "remove" for each second name, in preview order; a
/// "note" for each file left alone with a reason; with -u a "renamed", "removed" or
/// "failed" object for each job and second name; last a "summary". With -v, "log" objects
/// carry the lines -v adds. The reasons are a closed list (README, "Scripts").
std::unique_ptr<reporter> json_reporter(line_printer &out, const run_options &options);

/// The one object of a run -j cannot make: {"type":"error","reason":...}.
void report_json_error(line_printer &out, std::u16string_view reason);

/// Appends a text as a JSON string: quotes, a backslash before a quote or a backslash,
/// control characters as \u00XX, a surrogate that is no half of a pair as U+FFFD.
void append_json_string(text &out, std::u16string_view value);
