#pragma once

#include "sorter/dating.h"
#include "sorter/disk.h"
#include "sorter/pairing.h"
#include "sorter/records.h"

#include <cstddef>
#include <vector>

// The planning: which files a run takes and what becomes of each, decided once, before
// anything is shown or renamed. One engine plans every mode; what differs between the
// modes is in modes.h.

/// Why a file whose shape a run looks for is not taken; -v says so after its Examining line.
enum class not_taken {
  cut_character,     ///< its pieces would cut a character in two
  short_name,        ///< with -o: an 8.3 name this program gives
  spherical_short,   ///< with -o: a 360 video, which has no 8.3 name
  prefix_short,      ///< with -o: a camera name with a prefix, which an 8.3 name has no room for
  prefix_not_upper,  ///< -a: the camera name behind a prefix is not in upper case
  prefix_characters, ///< -a: a prefix of other characters than a camera writes, or too long
  prefix_temporary,  ///< -a: a prefix of four digits and "_", as a temporary name has
  prefix_dated       ///< -a: a prefix that begins with a date, as -d writes it
};

/// A file not taken, and why.
struct examination_note {
  std::size_t file;
  not_taken why;
};

/// Why a file the run would take is left out of it; shown without -v.
enum class left_out_reason {
  unreadable,       ///< a chapter that exists but cannot be read: its recording stays (-t, -c)
  camera_name_taken ///< -c: its camera name is in the folder already, or another file's
};

/// A file left out of the run, and why.
struct left_out {
  std::size_t file;
  left_out_reason reason;
  file_failure failure = file_failure::none; ///< unreadable: what stood in the way
  text other;                                ///< camera_name_taken: the name
};

/// The jobs of a run and everything the planning decided beside them.
struct plan {
  job_list jobs;
  std::vector<second_name> second_names; ///< removed after confirmation, before the first pass
  std::vector<examination_note> examined;
  std::vector<sidecar_note> notes; ///< in file order
  std::vector<left_out> left;
  recording_readings times; ///< -t: where each recording's date came from
};

/// Whether the scan must read each file's last-write time for the run's names.
bool plan_needs_file_times(const run_options &options);

/// Plans a run from the file list, in the mode its switches choose: renaming camera names,
/// finishing temporary names (-f), camera names back (-c), or finishing those (-f -c). Each
/// file the mode takes, unless it keeps its name, becomes a job with its new name, each
/// video followed by its sidecars (-l), a sidecar renamed only together with its video or
/// beside a video that has its new name already. A name that is a second link of a file
/// standing under another name of its chapter is removed, the name further along kept.
plan make_plan(disk &disk, const file_list &files, const run_options &options);
