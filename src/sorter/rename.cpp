#include "sorter/rename.h"

#include "runtime/console.h"
#include "sorter/fixed_texts.h"

#include <algorithm>
#include <vector>

namespace {

void print_failure(const text &source_path, const text &target_path, file_failure failure, bool verbose) {
  print_line(fill(fixed_text::could_not_rename, {from_outside(source_path), from_outside(target_path)}));
  if (verbose && failure != file_failure::none)
    print_line(fill(fixed_text::why_line, {failure_text(failure)}));
}

// The full paths of a job's two names: as the lines show them, and as the disk opens them.
struct job_paths {
  text shown_source, shown_target, source, target;
};

job_paths paths_of(const rename_job &job, const text &source, const text &target) {
  return {join_path(job.folder->shown, source), join_path(job.folder->shown, target),
          join_path(job.folder->opened, source), join_path(job.folder->opened, target)};
}

// Pass 1: moves every file away from its old name before any final name is taken, so a
// final name may be another job's old name. A sidecar moves only when its video did, so
// that the two keep names that pair them. Returns which jobs are under their temporary
// names now.
std::vector<bool> rename_to_temporary_names(disk &disk, const job_list &jobs, const text &total_text,
                                            bool verbose) {
  std::vector<bool> moved(jobs.size(), false);
  std::int64_t temp_count = 0;
  if (verbose)
    print_line(fill(fixed_text::temporary_heading, {total_text}));
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const rename_job &job = jobs[k];
    job_paths paths = paths_of(job, job.old_name, job.temp_name);
    file_failure failure = file_failure::none;
    if (job.video == no_job || moved[job.video])
      failure = disk.rename(paths.source, paths.target);
    else
      failure = file_failure::other;
    moved[k] = failure == file_failure::none;
    if (moved[k]) {
      if (verbose)
        print_line(fill(fixed_text::renamed_line, {from_outside(job.old_name), from_outside(job.temp_name)}));
      ++temp_count;
    } else {
      print_failure(paths.shown_source, paths.shown_target,
                    job.video == no_job ? failure : file_failure::none, verbose);
    }
  }
  print_line(fill(fixed_text::temporary_summary, {decimal_text(temp_count), total_text}));
  return moved;
}

// Pass 2: moves each file from its temporary name to its final name, for the jobs that are
// under their temporary names; a sidecar only once its video has its final name, so that
// it never takes a name beside another video. The rename never replaces, so a final name
// taken already leaves that file where it is.
void rename_to_final_names(disk &disk, const job_list &jobs, const text &total_text,
                           const std::vector<bool> &ready, bool verbose) {
  print_line(fill(fixed_text::final_heading, {total_text}));
  std::vector<bool> finished(jobs.size(), false);
  std::int64_t final_count = 0;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const rename_job &job = jobs[k];
    job_paths paths = paths_of(job, job.temp_name, job.final_name);
    // Pass 2 moves only what pass 1 moved: a temporary name that pass 1 could not take may
    // be another file's (a leftover of a run cut short), which must stay where it is.
    bool may_move = ready[k] && (job.video == no_job || finished[job.video]);
    file_failure failure = may_move ? disk.rename(paths.source, paths.target) : file_failure::none;
    finished[k] = may_move && failure == file_failure::none;
    if (finished[k]) {
      print_line(
          fill(fixed_text::renamed_line, {from_outside(job.old_name), from_outside(paths.shown_target)}));
      ++final_count;
    } else {
      print_failure(paths.shown_source, paths.shown_target, failure, verbose);
    }
  }
  print_line(fill(fixed_text::final_summary, {decimal_text(final_count), total_text}));
}

// Second names go first: each only when it still names the same file as the name kept.
void remove_second_names(disk &disk, const std::vector<second_name> &seconds) {
  for (const second_name &second : seconds) {
    bool removed = disk.remove_second_name(join_path(second.folder->opened, second.removed),
                                           join_path(second.folder->opened, second.kept));
    print_line(
        fill(removed ? fixed_text::second_name_removed : fixed_text::second_name_kept,
             {from_outside(join_path(second.folder->shown, second.removed)), from_outside(second.kept)}));
  }
}

} // namespace

std::u16string_view failure_text(file_failure failure) {
  switch (failure) {
  case file_failure::name_taken:
    return fixed_text::name_is_taken;
  case file_failure::gone:
    return fixed_text::file_is_gone;
  case file_failure::no_permission:
    return fixed_text::no_permission;
  case file_failure::read_only:
    return fixed_text::medium_is_read_only;
  case file_failure::in_use:
    return fixed_text::file_in_use;
  default:
    return fixed_text::system_refused;
  }
}

void confirm_and_rename(disk &disk, const plan &planned, const run_options &options) {
  if (options.simulate)
    return;
  if (!options.unattended) {
    // Only a key pressed once the prompt is on the screen may answer: what was typed before
    // goes, and so does what the system hands over only as the prompt is written.
    discard_typed_keys();
    print_line(fixed_text::prompt);
    drop_pending_keys();
    if (wait_for_key() == u"\x1b") {
      print_line(fixed_text::nothing_changed);
      return;
    }
  }
  remove_second_names(disk, planned.second_names);
  const job_list &jobs = planned.jobs;
  if (!jobs.empty()) {
    text total_text = decimal_text(static_cast<std::int64_t>(jobs.size()));
    std::vector<bool> ready(jobs.size(), true);
    if (!std::all_of(jobs.begin(), jobs.end(),
                     [](const rename_job &job) { return job.under_temporary_name; }))
      ready = rename_to_temporary_names(disk, jobs, total_text, options.verbose);
    rename_to_final_names(disk, jobs, total_text, ready, options.verbose);
  }
  print_line(fixed_text::closing);
}
