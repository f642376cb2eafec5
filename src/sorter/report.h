#pragma once

#include "runtime/console.h"
#include "sorter/plan.h"
#include "sorter/records.h"
#include "sorter/scan.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// Everything the sorter says: the steps decide and hand their decisions to a reporter, in
// the order they come. There are two: lines for people (report.cpp, the only sorter file
// that writes them), and JSON Lines for scripts (-j, json_report.cpp).

/// Where the decisions and the outcomes of a run go.
class reporter {
public:
  virtual ~reporter() = default;
  /// What the scan found: with -v each folder as it was begun; the folders not listed.
  virtual void scanned(const scan_result &scanned) = 0;
  /// What the planning decided: with -v the files examined; the files left out of the run
  /// and, with -v, the recordings' dates and the sidecars left alone; the preview.
  virtual void planned(const file_list &files, const plan &planned) = 0;
  /// That there is nothing to rename.
  virtual void nothing_to_rename() = 0;
  /// The prompt, and the line after Esc.
  virtual void prompt() = 0;
  virtual void nothing_changed() = 0;
  /// A second name removed, or kept, and why.
  virtual void second_name(const second_name &second, file_failure failure) = 0;
  /// The first pass: its heading, a job moved to its temporary name or not (why: none for
  /// one not tried), its summary.
  virtual void temporary_heading(std::size_t jobs) = 0;
  virtual void temporary_name(std::size_t job, bool moved, file_failure why) = 0;
  virtual void temporary_summary(std::int64_t renamed, std::size_t jobs) = 0;
  /// The second pass, likewise, and the closing line after both.
  virtual void final_heading(std::size_t jobs) = 0;
  virtual void final_name(std::size_t job, bool moved, file_failure why) = 0;
  virtual void final_summary(std::int64_t renamed, std::size_t jobs) = 0;
  virtual void closing() = 0;
  /// The end of the run.
  virtual void finished() {}
};

/// Lines for people, each written at once: the specified texts (fixed_texts.h).
std::unique_ptr<reporter> console_reporter(line_printer &out, const run_options &options);

/// The -v lines of a scan: one for each folder as its listing began.
void report_folders_begun(line_printer &out, const scan_result &scanned, bool recursive);

/// The -v report of what the planning took: the number of files, each file examined with
/// its match (or why a name of the shape looked for is not taken), and the count of files
/// taken. Nothing for no files.
void report_examination(line_printer &out, const file_list &files, const plan &planned);

/// The -v lines of each recording's date (-t): which time it took and from where; the
/// chapters read without a usable time, and why.
void report_recording_times(line_printer &out, const recording_readings &times, const file_list &files);

/// The renaming preview: one line per job, bare old and final names, then one per second
/// name that goes.
void report_preview(line_printer &out, const plan &planned);

/// What a failure of an operation on a file says to the user.
std::u16string_view failure_text(file_failure failure);
