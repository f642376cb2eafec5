#include "sorter/names.h"

#include "runtime/console.h"
#include "runtime/random.h"
#include "sorter/eligibility.h"

text final_name_of(const rename_job &job, bool date_prefix, bool short_names) {
  if (short_names)
    return u"G" + job.codec_letter + job.recording_number + job.chapter + job.extension;
  // A file without a valid date gets no prefix at all, not a lone "_" in front.
  text date_part = date_prefix && !job.modified_text.empty() ? job.modified_text + u"_" : text();
  text codec_word = job.codec_letter == u"X" ? u"HEVC" : u"AVC";
  return date_part + u"G-" + codec_word + u"-" + job.recording_number + u"-" + job.chapter + job.extension;
}

void assign_new_names() {
  for (rename_job &job : job_list) {
    if (options.finish) {
      // The file is under its temporary name already, four digits, "_" and the final name:
      // it needs no other, and draws nothing.
      job.temp_name = job.old_name;
      job.final_name = job.old_name.substr(temporary_prefix_length);
      continue;
    }
    job.final_name = final_name_of(job, options.date_prefix, options.short_names);
    job.temp_name =
        decimal_text(static_cast<std::int64_t>(random_number(9999, 1000))) + u"_" + job.final_name;
  }
}

void print_preview() {
  print_line(u"\n\r  Renaming Preview:");
  for (const rename_job &job : job_list)
    print_line(u"    " + from_outside(job.old_name) + u"  -->  " + from_outside(job.final_name));
}
