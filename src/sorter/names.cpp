#include "sorter/names.h"

#include "runtime/console.h"
#include "sorter/fixed_texts.h"
#include "sorter/plan.h"

name_parts final_parts_for(const found_file_record &record, const run_options &options,
                           const start_times &times, disk &disk) {
  if (options.short_names)
    return final_parts_of(record.parts, name_form::short_83, -1);
  if (options.start_time) {
    // The recording's start, when one of its chapters gave one; else the file's last change,
    // asked for only now: most recordings have a start, and -t lists without file times.
    const recording_time *time = time_of(times, record);
    return final_parts_of(record.parts, name_form::dated,
                          time && time->start.when >= 0
                              ? time->start.when
                              : disk.last_write(join_path(record.folder->opened, record.name)));
  }
  // A file without a valid date has the date -1: its date part is the "_" alone.
  if (options.date_prefix)
    return final_parts_of(record.parts, name_form::dated, record.modified);
  return final_parts_of(record.parts, name_form::plain, -1);
}

void assign_new_names(job_list &jobs, const std::function<std::uint64_t()> &draw) {
  for (rename_job &job : jobs)
    if (!job.under_temporary_name)
      job.temp_name = temporary_name(draw(), job.final_name);
}

void print_preview(const plan &planned) {
  print_line(fixed_text::preview_heading);
  for (const rename_job &job : planned.jobs)
    print_line(fill(fixed_text::preview_line, {from_outside(job.old_name), from_outside(job.final_name)}));
  for (const second_name &second : planned.second_names)
    print_line(fill(fixed_text::second_name_line, {from_outside(second.removed), from_outside(second.kept)}));
}
