#include "sorter/eligibility.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/fixed_texts.h"

std::int64_t eligibility_pass(file_list &files, name_test test) {
  std::int64_t count = 0;
  for (found_file_record &record : files) {
    record.eligible = test(record.name) == name_verdict::taken;
    count += record.eligible ? 1 : 0;
  }
  return count;
}

void print_examination(const file_list &files, std::int64_t eligible, name_test test) {
  if (files.empty())
    return;
  text total = decimal_text(static_cast<std::int64_t>(files.size()));
  print_line(fill(fixed_text::files_found, {total}));
  for (const found_file_record &record : files) {
    print_line(fill(fixed_text::examining, {from_outside(join_path(*record.directory, record.name))}));
    if (record.eligible)
      print_line(fill(fixed_text::match, {from_outside(record.name)}));
    else if (test(record.name) == name_verdict::splits_character)
      print_line(fill(fixed_text::splits_character, {from_outside(record.name)}));
  }
  print_line();
  print_line(fill(fixed_text::examined, {total, decimal_text(eligible)}));
}
