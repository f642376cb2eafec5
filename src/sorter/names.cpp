#include "sorter/names.h"

#include "runtime/console.h"
#include "runtime/random.h"
#include "sorter/camera_names.h"
#include "sorter/fixed_texts.h"

text final_name_of(const rename_job &job, const run_options &options) {
  final_name_parts parts;
  parts.pieces = {job.codec_letter, job.chapter, job.recording_number};
  parts.extension = job.extension;
  if (options.short_names) {
    parts.form = name_form::short_83;
  } else if (options.date_prefix) {
    // A file without a valid date has an empty date: its date part is the "_" alone.
    parts.form = name_form::dated;
    parts.date_text = job.modified_text;
  }
  return final_name(parts);
}

void assign_new_names(job_list &jobs, const run_options &options) {
  for (rename_job &job : jobs) {
    // A sidecar of a video under its final name already takes that name.
    if (job.final_name.empty())
      job.final_name = final_name_of(job, options);
    job.temp_name =
        temporary_name(random_number(highest_temporary_number, lowest_temporary_number), job.final_name);
  }
}

void print_preview(const job_list &jobs) {
  print_line(fixed_text::preview_heading);
  for (const rename_job &job : jobs)
    print_line(fill(fixed_text::preview_line, {from_outside(job.old_name), from_outside(job.final_name)}));
}
