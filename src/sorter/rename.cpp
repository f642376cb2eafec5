#include "sorter/rename.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/fixed_texts.h"

#include <algorithm>
#include <vector>

namespace {

void print_failure(const text &source_path, const text &target_path) {
  print_line(fill(fixed_text::could_not_rename, {from_outside(source_path), from_outside(target_path)}));
}

bool under_temporary_name(const rename_job &job) { return job.old_name == job.temp_name; }

// Pass 1: moves every file away from its old name before any final name is taken, so a
// final name may be another job's old name. A sidecar moves only when its video did, so
// that the two keep names that pair them. Returns which jobs are under their temporary
// names now.
std::vector<bool> rename_to_temporary_names(const job_list &jobs, const text &total_text, bool verbose) {
  std::vector<bool> moved(jobs.size(), false);
  std::int64_t temp_count = 0;
  if (verbose)
    print_line(fill(fixed_text::temporary_heading, {total_text}));
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const rename_job &job = jobs[k];
    text source_path = join_path(*job.directory, job.old_name);
    text target_path = join_path(*job.directory, job.temp_name);
    moved[k] = (job.video == no_job || moved[job.video]) && rename_file(source_path, target_path);
    if (moved[k]) {
      if (verbose)
        print_line(fill(fixed_text::renamed_line, {from_outside(job.old_name), from_outside(job.temp_name)}));
      ++temp_count;
    } else {
      print_failure(source_path, target_path);
    }
  }
  print_line(fill(fixed_text::temporary_summary, {decimal_text(temp_count), total_text}));
  return moved;
}

// Pass 2: moves each file from its temporary name to its final name, for the jobs that are
// under their temporary names; a sidecar only once its video has its final name, so that
// it never takes a name beside another video. rename_file never replaces, so a final name
// taken already leaves that file where it is.
void rename_to_final_names(const job_list &jobs, const text &total_text, const std::vector<bool> &ready) {
  print_line(fill(fixed_text::final_heading, {total_text}));
  std::vector<bool> finished(jobs.size(), false);
  std::int64_t final_count = 0;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const rename_job &job = jobs[k];
    text source_path = join_path(*job.directory, job.temp_name);
    text target_path = join_path(*job.directory, job.final_name);
    // A file found under its temporary name (-f) may have its final name as well, when a
    // run was cut between the link and the unlink of a rename: the spare name goes.
    finished[k] = ready[k] && (job.video == no_job || finished[job.video]) &&
                  (rename_file(source_path, target_path) ||
                   (under_temporary_name(job) && remove_second_name(source_path, target_path)));
    if (finished[k]) {
      print_line(fill(fixed_text::renamed_line, {from_outside(job.old_name), from_outside(target_path)}));
      ++final_count;
    } else {
      print_failure(source_path, target_path);
    }
  }
  print_line(fill(fixed_text::final_summary, {decimal_text(final_count), total_text}));
}

} // namespace

void confirm_and_rename(const job_list &jobs, const run_options &options) {
  if (options.simulate)
    return;
  if (!options.unattended) {
    // Only a key pressed once the preview is on the screen may answer.
    discard_typed_keys();
    print_line(fixed_text::prompt);
    if (wait_for_key() == u"\x1b") {
      print_line(fixed_text::nothing_changed);
      return;
    }
  }
  text total_text = decimal_text(static_cast<std::int64_t>(jobs.size()));
  // Pass 2 moves only what pass 1 moved: a temporary name that pass 1 could not take may
  // be another file's (a leftover of a run cut short), which must stay where it is. Such
  // a job reports its failure as any failed rename does.
  std::vector<bool> ready(jobs.size(), true);
  if (!std::all_of(jobs.begin(), jobs.end(), under_temporary_name))
    ready = rename_to_temporary_names(jobs, total_text, options.verbose);
  rename_to_final_names(jobs, total_text, ready);
  print_line(fixed_text::closing);
}
