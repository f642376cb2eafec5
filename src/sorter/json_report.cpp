// -j: the plan and the outcome of a run as JSON Lines, one object a line, for scripts. No
// banner, no prompt, no CR: a line ends in LF. Paths are the folder as given, its
// separator and the name; a name that is no valid Unicode (bytes that are not UTF-8 on
// POSIX, a lone surrogate on Windows) has U+FFFD for each bad unit, and its exact form in
// hex beside it.
#include "sorter/json_report.h"

#include <vector>

namespace {

// The text with each half of a surrogate pair that stands alone replaced by U+FFFD: what
// UTF-8 can carry of a name that is no valid Unicode.
text whole_characters(std::u16string_view value) {
  text out(value);
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (is_high_surrogate(out[k]) && k + 1 < out.size() && is_low_surrogate(out[k + 1]))
      ++k;
    else if (is_high_surrogate(out[k]) || is_low_surrogate(out[k]))
      out[k] = u'\uFFFD';
  }
  return out;
}

std::u16string_view note_reason(not_taken why) {
  switch (why) {
  case not_taken::cut_character:
    return u"cut_character";
  case not_taken::short_name:
    return u"short_name";
  case not_taken::spherical_short:
    return u"no_short_name_for_360";
  case not_taken::prefix_short:
    return u"no_room_for_prefix";
  case not_taken::prefix_not_upper:
    return u"prefix_not_upper_case";
  case not_taken::prefix_temporary:
    return u"prefix_temporary";
  case not_taken::prefix_dated:
    return u"prefix_dated";
  default:
    return u"prefix_characters";
  }
}

std::u16string_view sidecar_reason(sidecar_fate fate) {
  return fate == sidecar_fate::no_video     ? u"no_video"
         : fate == sidecar_fate::two_videos ? u"two_videos"
                                            : u"video_has_one";
}

// One line's object, its fields in the order added.
class json_object {
public:
  explicit json_object(std::u16string_view type) { field(u"type", type); }
  json_object &field(std::u16string_view key, std::u16string_view value) {
    begin(key);
    append_json_string(out, value);
    return *this;
  }
  json_object &number(std::u16string_view key, std::int64_t value) {
    begin(key);
    out += decimal_text(value);
    return *this;
  }
  // A path, and beside it its exact form in hex when it is no valid Unicode.
  json_object &path(std::u16string_view key, std::u16string_view value) {
    field(key, value);
    if (whole_characters(value) != value)
      field(text(key) + u"_hex", exact_name_hex(value));
    return *this;
  }
  text line() const { return out + u"}\n"; }

private:
  text out;
  void begin(std::u16string_view key) {
    out += out.empty() ? u'{' : u',';
    append_json_string(out, key);
    out += u':';
  }
};

// The verbose lines of the report for people, each as a log object.
class log_lines final : public line_printer {
public:
  explicit log_lines(line_printer &printer) : out(printer) {}
  void print_line(std::u16string_view line) override {
    pending += line;
    text shown;
    for (char16_t unit : pending)
      if (unit != u'\n' && unit != u'\r')
        shown += unit;
    pending.clear();
    if (!shown.empty())
      out.print_text(json_object(u"log").field(u"text", shown).line());
  }
  void print_text(std::u16string_view piece) override { pending += piece; }
  text from_outside(std::u16string_view outside) const override { return text(outside); }
  void set_colors(console_color, console_color) override {}

private:
  line_printer &out;
  text pending;
};

class json_lines final : public reporter {
public:
  json_lines(line_printer &printer, const run_options &chosen)
      : out(printer), options(chosen), log(printer) {}

  void scanned(const scan_result &scanned) override {
    if (options.verbose)
      report_folders_begun(log, scanned, options.recursive);
    for (const text &folder : scanned.folders_not_listed)
      write(json_object(u"note").path(u"file", folder).field(u"reason", u"folder_not_listed"));
  }
  void planned(const file_list &files, const plan &made) override {
    made_plan = &made;
    if (options.verbose) {
      report_examination(log, files, made);
      report_recording_times(log, made.times, files);
    }
    for (const rename_job &job : made.jobs)
      write(json_object(u"rename")
                .path(u"from", shown(job, job.old_name))
                .path(u"to", shown(job, job.final_name)));
    for (const struct second_name &second : made.second_names)
      write(json_object(u"remove")
                .path(u"name", join_path(second.folder->shown, second.removed))
                .path(u"kept", join_path(second.folder->shown, second.kept)));
    std::vector<std::pair<std::size_t, std::u16string_view>> notes;
    for (const left_out &left : made.left)
      notes.emplace_back(left.file,
                         left.reason == left_out_reason::unreadable ? u"unreadable" : u"camera_name_taken");
    for (const examination_note &note : made.examined)
      notes.emplace_back(note.file, note_reason(note.why));
    for (const sidecar_note &note : made.notes)
      notes.emplace_back(note.file, sidecar_reason(note.fate));
    for (const auto &[file, reason] : notes)
      write(json_object(u"note")
                .path(u"file", join_path(files[file].folder->shown, files[file].name))
                .field(u"reason", reason));
    planned_count = static_cast<std::int64_t>(made.jobs.size() + made.second_names.size());
    first_pass.assign(made.jobs.size(), file_failure::none);
    moved_first.assign(made.jobs.size(), true);
  }
  void nothing_to_rename() override {}
  void prompt() override {}
  void nothing_changed() override {}
  void second_name(const struct second_name &second, file_failure failure) override {
    json_object object(failure == file_failure::none ? u"removed" : u"failed");
    text name = join_path(second.folder->shown, second.removed);
    text kept = join_path(second.folder->shown, second.kept);
    if (failure == file_failure::none)
      object.path(u"name", name).path(u"kept", kept);
    else
      object.path(u"from", name)
          .path(u"to", kept)
          .field(u"step", u"remove")
          .field(u"reason", reason_of(failure));
    count(failure == file_failure::none);
    write(object);
  }
  void temporary_heading(std::size_t) override {}
  void temporary_name(std::size_t job, bool moved, file_failure why) override {
    moved_first[job] = moved;
    first_pass[job] = why;
  }
  void temporary_summary(std::int64_t, std::size_t) override {}
  void final_heading(std::size_t) override {}
  void final_name(std::size_t job, bool moved, file_failure why) override {
    const rename_job &renamed = made_plan->jobs[job];
    if (moved) {
      write(json_object(u"renamed")
                .path(u"from", shown(renamed, renamed.old_name))
                .path(u"to", shown(renamed, renamed.final_name)));
    } else if (!moved_first[job]) {
      write(failure(renamed, renamed.old_name, renamed.temp_name, u"temporary", first_pass[job]));
    } else {
      write(failure(renamed, renamed.temp_name, renamed.final_name, u"final", why));
    }
    count(moved);
  }
  void final_summary(std::int64_t, std::size_t) override {}
  void closing() override {}
  void finished() override {
    write(json_object(u"summary")
              .number(u"planned", planned_count)
              .number(u"renamed", renamed_count)
              .number(u"failed", failed_count));
  }

private:
  line_printer &out;
  const run_options &options;
  log_lines log; // the lines -v adds, each as a log object
  const plan *made_plan = nullptr;
  std::vector<file_failure> first_pass;
  std::vector<bool> moved_first;
  std::int64_t planned_count = 0, renamed_count = 0, failed_count = 0;

  void write(const json_object &object) { out.print_text(object.line()); }
  void count(bool done) { ++(done ? renamed_count : failed_count); }
  static text shown(const rename_job &job, const text &name) { return join_path(job.folder->shown, name); }
  static std::u16string_view reason_of(file_failure failure) {
    switch (failure) {
    case file_failure::name_taken:
      return u"name_taken";
    case file_failure::gone:
      return u"gone";
    case file_failure::no_permission:
      return u"no_permission";
    case file_failure::read_only:
      return u"read_only";
    case file_failure::in_use:
      return u"in_use";
    case file_failure::not_as_listed:
      return u"not_the_scanned_file";
    case file_failure::none:
      return u"video_not_renamed"; // a sidecar waits for its video
    default:
      return u"system_refused";
    }
  }
  static json_object failure(const rename_job &job, const text &source, const text &target,
                             std::u16string_view step, file_failure why) {
    json_object object(u"failed");
    object.path(u"from", shown(job, source)).path(u"to", shown(job, target)).field(u"step", step);
    object.field(u"reason", reason_of(why));
    return object;
  }
};

} // namespace

void append_json_string(text &out, std::u16string_view value) {
  constexpr char16_t hex[] = u"0123456789abcdef";
  out += u'"';
  for (char16_t unit : whole_characters(value)) {
    if (unit == u'"' || unit == u'\\') {
      out += u'\\';
      out += unit;
    } else if (unit < 0x20) {
      out += u"\\u00";
      out += hex[unit >> 4];
      out += hex[unit & 0xF];
    } else {
      out += unit;
    }
  }
  out += u'"';
}

std::unique_ptr<reporter> json_reporter(line_printer &out, const run_options &options) {
  return std::make_unique<json_lines>(out, options);
}

void report_json_error(line_printer &out, std::u16string_view reason) {
  out.print_text(json_object(u"error").field(u"reason", reason).line());
}
