#pragma once

#include "sorter/disk.h"
#include "sorter/records.h"
#include "sorter/start_time.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// Why a file whose shape a run looks for is not taken; -v says so after its Examining line.
enum class not_taken {
  cut_character, ///< its pieces would cut a character in two
  short_name     ///< with -o: an 8.3 name this program gives
};

/// A file not taken, and why.
struct examination_note {
  std::size_t file;
  not_taken why;
};

/// Why a sidecar stays as it is.
enum class sidecar_fate {
  no_video,     ///< no video of its own in its folder
  two_videos,   ///< it would belong to more than one video
  video_has_one ///< its video has a sidecar of its kind already, or another one goes with it
};

/// A sidecar the planner left alone: its index in the file list, and why.
struct sidecar_note {
  std::size_t file;
  sidecar_fate fate;
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
  std::vector<sidecar_note> notes;
  std::vector<left_out> left;
  start_times times; ///< -t: where each recording's date came from
};

/// Plans a run from the file list: which files it takes and what becomes of each.
using planner = plan (*)(disk &disk, const file_list &files, const run_options &options);

/// The planner of a run: with -f the finishing of temporary names, with -c the way back
/// to camera names, else the renaming of camera names. The one place that tells them apart.
planner planner_for(const run_options &options);

/// Renaming: one job per camera chapter file, its final name made of its pieces and, with
/// -d or -t, its date (date_for); with -l each video's sidecars right after it, renamed
/// only together with it, and a sidecar whose video is under its final name already (a
/// run cut short) takes that name with its own extension. With -o an 8.3 name the program
/// gives is left alone.
plan renaming_plan(disk &disk, const file_list &files, const run_options &options);

/// Finishing (-f): one job per file under a temporary name (an 8.3 one only with -o; with
/// -c the camera-name temporary names of -c), already under its temporary name, its final
/// name that name without the number and "_". A sidecar follows its video when that is
/// under a temporary name too, or is finished beside its video under the final name;
/// otherwise it is left alone.
plan finishing_plan(disk &disk, const file_list &files, const run_options &options);

/// The way back (-c): one job per final name a camera's pieces make, to the camera name it
/// had (camera_name_of); the older cameras' GP when the recording's PR file is in the
/// folder or the video's firmware is HD5 or older. A file whose camera name is taken stays.
plan camera_names_plan(disk &disk, const file_list &files, const run_options &options);

/// The lines of the files left out of the run (always), then with -v the recordings'
/// dates (-t) and the sidecars the planning left alone.
void print_plan_notes(const plan &planned, const file_list &files, bool verbose);
