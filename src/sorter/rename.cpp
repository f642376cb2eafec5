#include "sorter/rename.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/run_state.h"

void confirm_and_rename() {
  if (options.simulate)
    return;
  if (!options.unattended) {
    print_line(u"\n\r  Press any key to continue renaming or [Esc] to abort...");
    if (wait_for_key() == u"\x1b") {
      print_line(u"\n\r  No file was changed");
      return;
    }
  }
  text total_text = decimal_text(static_cast<std::int64_t>(job_list.size()));
  std::int64_t temp_count = 0;
  std::int64_t final_count = 0;

  // Pass 1 moves every file away from its old name before any final name is taken, so a
  // final name may be another job's old name.
  verbose_line(u"\n\r  Renaming " + total_text + u" files with temp names...");
  for (const rename_job &job : job_list) {
    text source_path = join_path(*job.directory, job.old_name);
    text target_path = join_path(*job.directory, job.temp_name);
    if (rename_file(source_path, target_path)) {
      verbose_line(u"    [OK] " + job.old_name + u"  -->  " + job.temp_name);
      ++temp_count;
    } else {
      print_line(u"    [!!] Could not rename " + source_path + u", to " + target_path + u". Skipping...");
    }
  }
  print_line(u"\n\r  Successfully renamed " + decimal_text(temp_count) + u" of " + total_text +
             u" temp files.");

  // Pass 2 tries every job, whatever pass 1 did; rename_file never replaces, so a name
  // taken already leaves that file under its temporary name.
  print_line(u"\n\r  Renaming " + total_text + u" files to final names...");
  for (const rename_job &job : job_list) {
    text source_path = join_path(*job.directory, job.temp_name);
    text target_path = join_path(*job.directory, job.final_name);
    if (rename_file(source_path, target_path)) {
      print_line(u"    [OK] " + job.old_name + u"  -->  " + target_path);
      ++final_count;
    } else {
      print_line(u"    [!!] Could not rename " + source_path + u", to " + target_path + u". Skipping...");
    }
  }
  print_line(u"\n\r  Successfully renamed " + decimal_text(final_count) + u" of " + total_text + u" files.");
  print_line(u"\n\r");
}
