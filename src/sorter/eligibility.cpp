#include "sorter/eligibility.h"

#include "runtime/console.h"
#include "sorter/fixed_texts.h"

void print_examination(const file_list &files, const plan &planned) {
  if (files.empty())
    return;
  // A file is eligible when the run renames it: the count and the preview agree.
  std::vector<bool> taken(files.size(), false);
  for (const rename_job &job : planned.jobs)
    taken[job.file] = true;
  std::vector<const examination_note *> note_of(files.size(), nullptr);
  for (const examination_note &note : planned.examined)
    note_of[note.file] = &note;
  text total = decimal_text(static_cast<std::int64_t>(files.size()));
  print_line(fill(fixed_text::files_found, {total}));
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    print_line(fill(fixed_text::examining, {from_outside(join_path(record.folder->shown, record.name))}));
    if (taken[index])
      print_line(fill(fixed_text::match, {from_outside(record.name)}));
    else if (note_of[index])
      print_line(fill(note_of[index]->why == not_taken::cut_character ? fixed_text::splits_character
                                                                      : fixed_text::short_name_left,
                      {from_outside(record.name)}));
  }
  print_line();
  print_line(
      fill(fixed_text::examined, {total, decimal_text(static_cast<std::int64_t>(planned.jobs.size()))}));
}
