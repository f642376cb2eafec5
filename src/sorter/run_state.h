#pragma once

#include "runtime/dates.h"
#include "runtime/text.h"

#include <memory>
#include <vector>

// What one run owns from start to end: the options its switches set, the files the scan
// found and the rename jobs made from them. There is one run per process.

/// The switches; all off at start, each set by one switch and never cleared.
struct run_options {
  bool verbose = false;     // -v
  bool simulate = false;    // -s
  bool recursive = false;   // -r
  bool unattended = false;  // -u
  bool date_prefix = false; // -d
  bool short_names = false; // -o
  bool sidecars = false;    // -l: each chapter's LRV and THM files follow it
  bool finish = false;      // -f: temporary names of a run cut short go to their final names
};

/// A directory path, kept once for all the files found in it.
using shared_text = std::shared_ptr<const text>;

/// One entry of a scanned directory that is not itself a directory.
struct found_file_record {
  shared_text directory; // as its scan level received it, no separator appended
  text name;
  date_value modified = 0; // last-write time
  bool eligible = false;   // set by the eligibility pass
};

/// One camera chapter file to rename, with the pieces of its name; or one of its sidecars
/// (-l), which carries its video's pieces and its own extension; or, with -f, a file
/// under a temporary name.
struct rename_job {
  shared_text directory;
  text old_name;
  text final_name;
  text temp_name; // the name between the two rename passes
  text codec_letter;
  text recording_number;
  text chapter;
  text modified_text;       // the last-write time through the date-prefix mask
  text extension = u".mp4"; // a sidecar's is ".lrv" or ".thm"
};

/// The run's options.
extern run_options options;
/// Every file the scan found, in the order found.
extern std::vector<found_file_record> file_list;
/// One job per eligible file, in file list order.
extern std::vector<rename_job> job_list;

/// Prints the line only when -v is on.
void verbose_line(std::u16string_view line);
