#pragma once

#include "sorter/eligibility.h"
#include "sorter/records.h"
#include "sorter/start_time.h"

#include <cstddef>
#include <vector>

/// Why a sidecar stays as it is.
enum class sidecar_fate {
  no_video,     ///< no video of its own in its folder
  two_videos,   ///< it would belong to more than one video
  video_has_one ///< its video, under its final name, has a sidecar of its kind already
};

/// A sidecar the planner left alone: its index in the file list, and why.
struct sidecar_note {
  std::size_t file;
  sidecar_fate fate;
};

/// The jobs of a run, what the planning left alone, and with -t where each recording's
/// date came from.
struct plan {
  job_list jobs;
  std::vector<sidecar_note> notes;
  std::vector<recording_time> times;
};

/// One way of planning a run: the names it takes, and how it turns them into jobs.
struct planner {
  name_test test;
  plan (*make)(file_list &files, const run_options &options);
};

/// The planner of a run: with -f the finishing of temporary names, else the renaming of
/// camera names. The one place that tells the two apart.
const planner &planner_for(const run_options &options);

/// Renaming: one job per chapter file, codec letter, chapter and recording number taken
/// from its name and, with -d, its last-write time through the date-prefix mask; with -l
/// each video's sidecars right after it, carrying its pieces, renamed only together with
/// it. A sidecar whose video is under its final name already (a run cut short) takes that
/// name with its own extension. Every job gets its new names.
/// With -t (and no -o), the chapters of each recording are dated by its start first.
plan renaming_plan(file_list &files, const run_options &options);

/// Finishing (-f): one job per file under a temporary name; its temporary name is its old
/// name, its final name that name without the number and "_". A sidecar follows its video
/// when that is under a temporary name too, or is finished only beside its video under
/// the final name; otherwise it is left alone.
plan finishing_plan(file_list &files, const run_options &options);

/// The -v lines for the recordings' dates (-t) and the sidecars the planning left alone.
void print_plan_notes(const plan &planned, const file_list &files);
