#include "sorter/report.h"

#include "sorter/fixed_texts.h"

namespace {

std::u16string_view reason_text(no_time why) {
  switch (why) {
  case no_time::no_movie_header:
    return fixed_text::no_movie_header;
  case no_time::unknown_clock:
    return fixed_text::unknown_clock;
  case no_time::unknown_version:
    return fixed_text::unknown_version;
  case no_time::zone_never_set:
    return fixed_text::zone_never_set;
  default:
    return fixed_text::no_creation_time;
  }
}

text zone_text(std::int32_t minutes) {
  text shown = minutes < 0 ? u"UTC-" : u"UTC+";
  std::int32_t magnitude = minutes < 0 ? -minutes : minutes;
  for (std::int32_t part : {magnitude / 60, magnitude % 60}) {
    if (part < 10)
      shown += u'0';
    shown += decimal_text(part);
    shown += u':';
  }
  shown.pop_back();
  return shown;
}

const slotted_text<1> &not_taken_text(not_taken why) {
  switch (why) {
  case not_taken::cut_character:
    return fixed_text::splits_character;
  case not_taken::short_name:
    return fixed_text::short_name_left;
  case not_taken::spherical_short:
    return fixed_text::spherical_short;
  case not_taken::prefix_short:
    return fixed_text::prefix_short;
  case not_taken::prefix_not_upper:
    return fixed_text::prefix_not_upper;
  case not_taken::prefix_temporary:
    return fixed_text::prefix_temporary;
  case not_taken::prefix_dated:
    return fixed_text::prefix_dated;
  default:
    return fixed_text::prefix_characters;
  }
}

text count_text(std::size_t count) { return decimal_text(static_cast<std::int64_t>(count)); }

// A file's path as the lines show it.
text shown_path(line_printer &out, const found_file_record &record) {
  return out.from_outside(join_path(record.folder->shown, record.name));
}

} // namespace

void report_recording_times(line_printer &out, const recording_readings &times, const file_list &files) {
  auto shown = [&](std::size_t index) { return shown_path(out, files[index]); };
  for (const recording_reading &time : times.recordings) {
    if (time.unreadable != no_job)
      continue; // its [!!] line says it all
    for (const auto &[index, why] : time.without_answer)
      out.print_line(fill(fixed_text::no_usable_time, shown(index), reason_text(why)));
    const start_reading &start = time.start;
    text path = shown(time.file);
    switch (start.source) {
    case time_source::last_change:
      out.print_line(fill(fixed_text::recording_by_last_change, path));
      break;
    case time_source::camera_zone:
      out.print_line(
          fill(fixed_text::recording_in_camera_zone, path, date_text_of(start.when), zone_text(start.zone)));
      if (start.clock != no_date)
        out.print_line(fill(fixed_text::recording_clock_differs, path, date_text_of(start.clock)));
      break;
    case time_source::utc:
      out.print_line(fill(fixed_text::recording_in_utc, path, date_text_of(start.when)));
      break;
    case time_source::camera_clock:
      out.print_line(fill(fixed_text::recording_by_camera_clock, path, date_text_of(start.when)));
      break;
    }
  }
}

void report_folders_begun(line_printer &out, const scan_result &scanned, bool recursive) {
  for (std::size_t k = 0; k < scanned.folders_listed.size(); ++k) {
    out.print_line();
    out.print_text(fill(fixed_text::processing_files_in, out.from_outside(scanned.folders_listed[k])));
    if (recursive)
      out.print_text(fixed_text::recursively);
    out.print_line(fixed_text::processing_end);
  }
}

namespace {

void report_scan(line_printer &out, const scan_result &scanned, bool recursive, bool verbose) {
  if (verbose)
    report_folders_begun(out, scanned, recursive);
  for (const text &folder : scanned.folders_not_listed)
    out.print_line(fill(fixed_text::folder_not_listed, out.from_outside(folder)));
}

} // namespace

void report_examination(line_printer &out, const file_list &files, const plan &planned) {
  if (files.empty())
    return;
  // A file is eligible when the run renames it: the count and the preview agree.
  std::vector<bool> taken(files.size(), false);
  for (const rename_job &job : planned.jobs)
    taken[job.file] = true;
  std::vector<const examination_note *> note_of(files.size(), nullptr);
  for (const examination_note &note : planned.examined)
    note_of[note.file] = &note;
  text total = count_text(files.size());
  out.print_line(fill(fixed_text::files_found, total));
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    out.print_line(fill(fixed_text::examining, shown_path(out, record)));
    if (taken[index])
      out.print_line(fill(fixed_text::match, out.from_outside(record.name)));
    else if (note_of[index])
      out.print_line(fill(not_taken_text(note_of[index]->why), out.from_outside(record.name)));
  }
  out.print_line();
  out.print_line(fill(fixed_text::examined, total, count_text(planned.jobs.size())));
}

namespace {

void report_plan_notes(line_printer &out, const plan &planned, const file_list &files, bool verbose) {
  for (const left_out &left : planned.left) {
    if (left.reason == left_out_reason::unreadable)
      out.print_line(fill(fixed_text::unreadable_chapter, shown_path(out, files[left.file]),
                          failure_text(left.failure)));
    else
      out.print_line(fill(fixed_text::camera_name_taken, shown_path(out, files[left.file]),
                          out.from_outside(left.other)));
  }
  if (!verbose)
    return;
  report_recording_times(out, planned.times, files);
  for (const sidecar_note &note : planned.notes) {
    const slotted_text<1> &line = note.fate == sidecar_fate::no_video     ? fixed_text::sidecar_without_video
                                  : note.fate == sidecar_fate::two_videos ? fixed_text::sidecar_of_two_videos
                                                                          : fixed_text::sidecar_already_there;
    out.print_line(fill(line, shown_path(out, files[note.file])));
  }
}

} // namespace

void report_preview(line_printer &out, const plan &planned) {
  out.print_line(fixed_text::preview_heading);
  for (const rename_job &job : planned.jobs)
    out.print_line(
        fill(fixed_text::preview_line, out.from_outside(job.old_name), out.from_outside(job.final_name)));
  for (const second_name &second : planned.second_names)
    out.print_line(
        fill(fixed_text::second_name_line, out.from_outside(second.removed), out.from_outside(second.kept)));
}

namespace {

// The report of a run for people.
class console_lines final : public reporter {
public:
  console_lines(line_printer &printer, const run_options &chosen) : out(printer), options(chosen) {}

  void scanned(const scan_result &scanned) override {
    report_scan(out, scanned, options.recursive, options.verbose);
  }
  void planned(const file_list &files, const plan &made) override {
    jobs = &made.jobs;
    if (options.verbose)
      report_examination(out, files, made);
    report_plan_notes(out, made, files, options.verbose);
    if (!made.jobs.empty() || !made.second_names.empty())
      report_preview(out, made);
  }
  void nothing_to_rename() override { out.print_line(fixed_text::no_files); }
  void prompt() override { out.print_line(fixed_text::prompt); }
  void nothing_changed() override { out.print_line(fixed_text::nothing_changed); }
  void second_name(const struct second_name &second, file_failure failure) override {
    text path = out.from_outside(join_path(second.folder->shown, second.removed));
    if (failure == file_failure::not_as_listed)
      out.print_line(fill(fixed_text::not_as_listed, path));
    else
      out.print_line(
          fill(failure == file_failure::none ? fixed_text::second_name_removed : fixed_text::second_name_kept,
               path, out.from_outside(second.kept)));
  }
  void temporary_heading(std::size_t count) override {
    if (options.verbose)
      out.print_line(fill(fixed_text::temporary_heading, count_text(count)));
  }
  void temporary_name(std::size_t job, bool moved, file_failure why) override {
    const rename_job &renamed = (*jobs)[job];
    if (!moved)
      report_failure(renamed, renamed.old_name, renamed.temp_name, why);
    else if (options.verbose)
      out.print_line(fill(fixed_text::renamed_line, out.from_outside(renamed.old_name),
                          out.from_outside(renamed.temp_name)));
  }
  void temporary_summary(std::int64_t renamed, std::size_t count) override {
    out.print_line(fill(fixed_text::temporary_summary, decimal_text(renamed), count_text(count)));
  }
  void final_heading(std::size_t count) override {
    out.print_line(fill(fixed_text::final_heading, count_text(count)));
  }
  void final_name(std::size_t job, bool moved, file_failure why) override {
    const rename_job &renamed = (*jobs)[job];
    if (moved)
      out.print_line(fill(fixed_text::renamed_line, out.from_outside(renamed.old_name),
                          out.from_outside(join_path(renamed.folder->shown, renamed.final_name))));
    else
      report_failure(renamed, renamed.temp_name, renamed.final_name, why);
  }
  void final_summary(std::int64_t renamed, std::size_t count) override {
    out.print_line(fill(fixed_text::final_summary, decimal_text(renamed), count_text(count)));
  }
  void closing() override { out.print_line(fixed_text::closing); }

private:
  line_printer &out;
  const run_options &options;
  const job_list *jobs = nullptr;

  // The line of a rename that failed: the name that held something else than the scan
  // found, or both paths, with -v and why.
  void report_failure(const rename_job &job, const text &source, const text &target, file_failure failure) {
    if (failure == file_failure::not_as_listed) {
      out.print_line(fill(fixed_text::not_as_listed, out.from_outside(join_path(job.folder->shown, source))));
      return;
    }
    out.print_line(fill(fixed_text::could_not_rename, out.from_outside(join_path(job.folder->shown, source)),
                        out.from_outside(join_path(job.folder->shown, target))));
    if (options.verbose && failure != file_failure::none)
      out.print_line(fill(fixed_text::why_line, failure_text(failure)));
  }
};

} // namespace

std::unique_ptr<reporter> console_reporter(line_printer &out, const run_options &options) {
  return std::make_unique<console_lines>(out, options);
}

std::u16string_view failure_text(file_failure failure) {
  switch (failure) {
  case file_failure::name_taken:
    return fixed_text::name_is_taken;
  case file_failure::gone:
    return fixed_text::file_is_gone;
  case file_failure::no_permission:
    return fixed_text::no_permission;
  case file_failure::read_only:
    return fixed_text::medium_is_read_only;
  case file_failure::in_use:
    return fixed_text::file_in_use;
  default:
    return fixed_text::system_refused;
  }
}
