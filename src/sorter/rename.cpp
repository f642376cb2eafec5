#include "sorter/rename.h"

#include "sorter/report.h"

#include <algorithm>
#include <vector>

namespace {

// A name is moved or removed first only while it still holds what the scan found: a
// folder, or another file, put under it while the prompt waited stays where it is. A name
// that holds nothing any more fails as any rename of a missing file does.
file_failure first_move(disk &disk, const rename_job &job, const text &source, const text &target) {
  const text path = join_path(job.folder->opened, source);
  if (disk.check_listed(path, job.scanned) == name_holds::another)
    return file_failure::not_as_listed;
  return disk.rename(path, join_path(job.folder->opened, target));
}

// Pass 1: moves every file away from its old name before any final name is taken, so a
// final name may be another job's old name. A sidecar moves only when its video did, so
// that the two keep names that pair them. Returns which jobs are under their temporary
// names now.
std::vector<bool> rename_to_temporary_names(disk &disk, const job_list &jobs, reporter &report) {
  std::vector<bool> moved(jobs.size(), false);
  std::int64_t temp_count = 0;
  report.temporary_heading(jobs.size());
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const rename_job &job = jobs[k];
    bool may_move = job.video == no_job || moved[job.video];
    file_failure failure = may_move ? first_move(disk, job, job.old_name, job.temp_name) : file_failure::none;
    moved[k] = may_move && failure == file_failure::none;
    if (moved[k])
      ++temp_count;
    report.temporary_name(k, moved[k], failure);
  }
  report.temporary_summary(temp_count, jobs.size());
  return moved;
}

// Pass 2: moves each file from its temporary name to its final name, for the jobs that are
// under their temporary names; a sidecar only once its video has its final name, so that
// it never takes a name beside another video. The rename never replaces, so a final name
// taken already leaves that file where it is.
void rename_to_final_names(disk &disk, const job_list &jobs, const std::vector<bool> &ready,
                           reporter &report) {
  report.final_heading(jobs.size());
  std::vector<bool> finished(jobs.size(), false);
  std::int64_t final_count = 0;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const rename_job &job = jobs[k];
    // Pass 2 moves only what pass 1 moved: a temporary name that pass 1 could not take may
    // be another file's (a leftover of a run cut short), which must stay where it is.
    bool may_move = ready[k] && (job.video == no_job || finished[job.video]);
    file_failure failure = file_failure::none;
    if (may_move && job.under_temporary_name)
      failure = first_move(disk, job, job.temp_name, job.final_name);
    else if (may_move)
      failure = disk.rename(join_path(job.folder->opened, job.temp_name),
                            join_path(job.folder->opened, job.final_name));
    finished[k] = may_move && failure == file_failure::none;
    if (finished[k])
      ++final_count;
    report.final_name(k, finished[k], failure);
  }
  report.final_summary(final_count, jobs.size());
}

// Second names go first: each only when it still holds what the scan found, and names the
// same file as the name kept.
void remove_second_names(disk &disk, const std::vector<second_name> &seconds, reporter &report) {
  for (const second_name &second : seconds) {
    text path = join_path(second.folder->opened, second.removed);
    file_failure failure =
        disk.check_listed(path, second.scanned) == name_holds::another ? file_failure::not_as_listed
        : disk.remove_second_name(path, join_path(second.folder->opened, second.kept)) ? file_failure::none
                                                                                       : file_failure::other;
    report.second_name(second, failure);
  }
}

} // namespace

void assign_new_names(job_list &jobs, const std::function<std::uint64_t()> &draw) {
  for (rename_job &job : jobs)
    if (!job.under_temporary_name)
      job.temp_name = temporary_name(draw(), job.final_name);
}

void confirm_and_rename(disk &disk, reporter &report, const plan &planned, const run_options &options) {
  if (options.simulate)
    return;
  const job_list &jobs = planned.jobs;
  if (!options.unattended) {
    // Only a key pressed once the prompt is on the screen may answer: what was typed before
    // goes, and so does what the system hands over only as the prompt is written.
    discard_typed_keys();
    report.prompt();
    drop_pending_keys();
    if (wait_for_key() == u"\x1b") {
      report.nothing_changed();
      return;
    }
  }
  remove_second_names(disk, planned.second_names, report);
  if (!jobs.empty()) {
    std::vector<bool> ready(jobs.size(), true);
    if (!std::all_of(jobs.begin(), jobs.end(),
                     [](const rename_job &job) { return job.under_temporary_name; }))
      ready = rename_to_temporary_names(disk, jobs, report);
    rename_to_final_names(disk, jobs, ready, report);
  }
  report.closing();
}
