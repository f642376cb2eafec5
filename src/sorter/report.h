#pragma once

#include "runtime/console.h"
#include "sorter/plan.h"
#include "sorter/records.h"
#include "sorter/scan.h"

#include <cstdint>
#include <string_view>

// Everything the sorter says, and the only sorter file that says anything: the steps
// decide and hand their decisions here, in the order the lines appear.

/// With -v a line for each folder as its listing began; then, always, one for each folder
/// that could not be listed.
void report_scan(line_printer &out, const scan_result &scanned, bool recursive, bool verbose);

/// The -v report of what the planning took: the number of files, each file examined with
/// its match (or why a name of the shape looked for is not taken), and the count of files
/// taken. Nothing for no files.
void report_examination(line_printer &out, const file_list &files, const plan &planned);

/// The lines of the files left out of the run (always), then with -v the recordings'
/// dates (-t) and the sidecars the planning left alone.
void report_plan_notes(line_printer &out, const plan &planned, const file_list &files, bool verbose);

/// The renaming preview: one line per job, bare old and final names, then one per second
/// name that goes.
void report_preview(line_printer &out, const plan &planned);

/// What a failure of an operation on a file says to the user.
std::u16string_view failure_text(file_failure failure);

/// The lines of the confirmation and the two rename passes, in the order they come.
struct pass_report {
  line_printer &out;
  bool verbose;
  text total; ///< the number of jobs

  /// The prompt, or the line after Esc.
  void prompt() const;
  void nothing_changed() const;
  /// A second name removed, or kept, and why.
  void second_name(const second_name &second, file_failure failure) const;
  /// The first pass: its heading (-v), a line per job (its [OK] with -v; why a rename
  /// failed, none for one not tried), its summary.
  void temporary_heading() const;
  void temporary_name(const rename_job &job, bool moved, file_failure why) const;
  void temporary_summary(std::int64_t renamed) const;
  /// The second pass, likewise, and the closing line after both.
  void final_heading() const;
  void final_name(const rename_job &job, bool moved, file_failure why) const;
  void final_summary(std::int64_t renamed) const;
  void closing() const;
};
