#include "sorter/eligibility.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/run_state.h"

namespace {

// 2023-05-06 15:59:02 becomes 2023-05-06_15-59-02.
constexpr std::u16string_view date_prefix_mask = u"%yyyy-%mm-%dd_%hh-%ii-%ss";

} // namespace

bool eligibility_test(std::u16string_view name) {
  return name.size() == 12 && upper_char(name[0]) == u'G' && upper_char(name[9]) == u'M' &&
         upper_char(name[10]) == u'P' && upper_char(name[11]) == u'4';
}

std::int64_t eligibility_pass() {
  if (file_list.empty())
    return 0;
  text total = decimal_text(static_cast<std::int64_t>(file_list.size()));
  verbose_line(u"  Found " + total + u" files.\n\r");
  std::int64_t count = 0;
  for (found_file_record &record : file_list) {
    if (options.verbose) // tested here so that a quiet run builds no text per file
      print_line(u"  > Examining " + from_outside(join_path(*record.directory, record.name)));
    record.eligible = eligibility_test(record.name);
    if (record.eligible) {
      ++count;
      if (options.verbose)
        print_line(u"    > Match " + from_outside(record.name));
    }
  }
  if (options.verbose) {
    print_line();
    print_line(u"  " + total + u" files examined, " + decimal_text(count) + u" eligible files found");
  }
  return count;
}

void job_building_pass() {
  for (const found_file_record &record : file_list) {
    if (!record.eligible)
      continue;
    rename_job job;
    job.directory = record.directory;
    job.old_name = record.name;
    job.codec_letter = text(1, upper_char(record.name[1]));
    job.chapter = record.name.substr(2, 2);
    job.recording_number = record.name.substr(4, 4);
    job.modified_text = format_date(date_prefix_mask, record.modified);
    job_list.push_back(std::move(job));
  }
}
