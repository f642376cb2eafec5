#include "sorter/rename.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/run_state.h"

#include <vector>

namespace {

void print_failure(const text &source_path, const text &target_path) {
  print_line(u"    [!!] Could not rename " + from_outside(source_path) + u", to " +
             from_outside(target_path) + u". Skipping...");
}

// Moves each job's file from its temporary name to its final name, for the jobs marked
// in ready; returns how many were moved. rename_file never replaces, so a final name
// taken already leaves that file where it is.
std::int64_t rename_to_final_names(const text &total_text, const std::vector<bool> &ready) {
  print_line(u"\n\r  Renaming " + total_text + u" files to final names...");
  std::int64_t final_count = 0;
  for (std::size_t k = 0; k < job_list.size(); ++k) {
    const rename_job &job = job_list[k];
    text source_path = join_path(*job.directory, job.temp_name);
    text target_path = join_path(*job.directory, job.final_name);
    if (ready[k] && rename_file(source_path, target_path)) {
      print_line(u"    [OK] " + from_outside(job.old_name) + u"  -->  " + from_outside(target_path));
      ++final_count;
    } else {
      print_failure(source_path, target_path);
    }
  }
  print_line(u"\n\r  Successfully renamed " + decimal_text(final_count) + u" of " + total_text + u" files.");
  return final_count;
}

} // namespace

void confirm_and_rename() {
  if (options.simulate)
    return;
  if (!options.unattended) {
    // Only a key pressed once the preview is on the screen may answer.
    discard_typed_keys();
    print_line(u"\n\r  Press any key to continue renaming or [Esc] to abort...");
    if (wait_for_key() == u"\x1b") {
      print_line(u"\n\r  No file was changed");
      return;
    }
  }
  text total_text = decimal_text(static_cast<std::int64_t>(job_list.size()));

  // With -f every file is under its temporary name already (the job's old name is that
  // name): the last pass alone.
  if (options.finish) {
    rename_to_final_names(total_text, std::vector<bool>(job_list.size(), true));
    print_line(u"\n\r");
    return;
  }

  // Pass 1 moves every file away from its old name before any final name is taken, so a
  // final name may be another job's old name.
  std::vector<bool> moved(job_list.size(), false);
  std::int64_t temp_count = 0;
  verbose_line(u"\n\r  Renaming " + total_text + u" files with temp names...");
  for (std::size_t k = 0; k < job_list.size(); ++k) {
    const rename_job &job = job_list[k];
    text source_path = join_path(*job.directory, job.old_name);
    text target_path = join_path(*job.directory, job.temp_name);
    moved[k] = rename_file(source_path, target_path);
    if (moved[k]) {
      verbose_line(u"    [OK] " + from_outside(job.old_name) + u"  -->  " + from_outside(job.temp_name));
      ++temp_count;
    } else {
      print_failure(source_path, target_path);
    }
  }
  print_line(u"\n\r  Successfully renamed " + decimal_text(temp_count) + u" of " + total_text +
             u" temp files.");

  // Pass 2 moves only what pass 1 moved: a temporary name that pass 1 could not take may
  // be another file's (a leftover of a run cut short), which must stay where it is. Such
  // a job reports its failure as any failed rename does.
  rename_to_final_names(total_text, moved);
  print_line(u"\n\r");
}
