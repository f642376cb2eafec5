#pragma once

#include "runtime/dates.h"
#include "runtime/text.h"

#include <cstddef>
#include <memory>
#include <vector>

// The values a run hands from step to step: the options its switches set, the files the
// scan found (the file list) and the rename jobs planned for them (the job list).

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
  bool start_time = false;  // -t: the date is the recording's start, read from the video
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

/// Every file the scan found, in the order found.
using file_list = std::vector<found_file_record>;

/// The job index that names no job.
constexpr std::size_t no_job = static_cast<std::size_t>(-1);

/// One file to rename: a camera chapter file, one of its sidecars (-l), which carries its
/// video's pieces and its own extension, or with -f a file under a temporary name.
struct rename_job {
  shared_text directory;
  text old_name;
  text final_name;
  text temp_name; // the name between the two rename passes; with -f the old name itself
  text codec_letter;
  text recording_number;
  text chapter;
  text modified_text;         // the date part's date, with -d
  text extension = u".mp4";   // a sidecar's is ".lrv" or ".thm"
  std::size_t video = no_job; // a sidecar's video, when it is renamed in this run
};

/// The jobs of a run, each sidecar right after its video.
using job_list = std::vector<rename_job>;
