#include "app/run.h"

#include "app/app_texts.h"
#include "app/banner.h"
#include "runtime/command_line.h"
#include "runtime/console.h"
#include "runtime/listing.h"
#include "runtime/random.h"
#include "sorter/json_report.h"
#include "sorter/plan.h"
#include "sorter/rename.h"
#include "sorter/report.h"
#include "sorter/scan.h"

#include <vector>

namespace {

void print_path_message(line_printer &out, const text &path) {
  out.print_line();
  out.print_line(fill(app_text::path_not_found, out.from_outside(path)));
  for (std::u16string_view line : app_text::path_advice)
    out.print_line(line);
}

// Lower-cased, then trimmed of spaces (U+0020 only: a tab stays part of the switch).
text normalised_switch(const text &parameter) {
  text lowered = parameter;
  for (char16_t &unit : lowered)
    unit = lower_char(unit);
  std::size_t begin = lowered.find_first_not_of(u' ');
  if (begin == text::npos)
    return {};
  std::size_t end = lowered.find_last_not_of(u' ');
  return lowered.substr(begin, end - begin + 1);
}

// Sets the option a switch names; false for any other text.
bool set_option(run_options &options, const text &switch_text) {
  struct known_switch {
    std::u16string_view name;
    bool run_options::*option;
  };
  static constexpr known_switch switches[] = {
      {u"-s", &run_options::simulate},    {u"-d", &run_options::date_prefix},
      {u"-r", &run_options::recursive},   {u"-v", &run_options::verbose},
      {u"-o", &run_options::short_names}, {u"-u", &run_options::unattended},
      {u"-l", &run_options::sidecars},    {u"-f", &run_options::finish},
      {u"-t", &run_options::start_time},  {u"-c", &run_options::camera_names},
      {u"-a", &run_options::all},         {u"-j", &run_options::json},
  };
  for (const known_switch &known : switches) {
    if (switch_text == known.name) {
      options.*known.option = true;
      return true;
    }
  }
  return false;
}

} // namespace

void sort_chapters(disk &disk, line_printer &out, const std::function<std::uint64_t()> &draw,
                   const text &path, const run_options &options) {
  // A script cannot answer the prompt: -j runs only to simulate or unattended.
  if (options.json && !options.simulate && !options.unattended) {
    report_json_error(out, u"needs_s_or_u");
    return;
  }
  std::unique_ptr<reporter> report =
      options.json ? json_reporter(out, options) : console_reporter(out, options);
  if (!options.json)
    print_banner(out);
  scan_result scanned = scan(disk, path, options.recursive, plan_needs_file_times(options));
  report->scanned(scanned);
  plan planned = make_plan(disk, scanned.files, options);
  // A simulation shows no temporary name: it draws none.
  if (!options.simulate)
    assign_new_names(planned.jobs, draw);
  report->planned(scanned.files, planned);
  if (planned.jobs.empty() && planned.second_names.empty())
    report->nothing_to_rename();
  else
    confirm_and_rename(disk, *report, planned, options);
  report->finished();
}

namespace {

// Index 0 of the parameters exists and stays empty; the path is parameter 1, switches
// follow.
void run_from_parameters(disk &disk, line_printer &out, const std::vector<text> &parameters,
                         const text &program_name) {
  if (parameters.size() == 1) {
    print_help(out, program_name);
    return;
  }
  const text &path = parameters[1];
  // An empty path (a variable that was never set) would list the current folder: refused,
  // since the current folder is named "." by anyone who means it.
  if (path.empty() || !disk.can_list(path)) {
    print_path_message(out, path);
    return;
  }
  text help_hint = fill(app_text::help_hint, out.from_outside(program_name));
  run_options options;
  for (std::size_t i = 2; i < parameters.size(); ++i) {
    text switch_text = normalised_switch(parameters[i]);
    if (!set_option(options, switch_text)) {
      out.print_line(fill(app_text::unknown_switch, out.from_outside(switch_text), help_hint));
      return;
    }
  }
  sort_chapters(
      disk, out, [] { return random_number(highest_temporary_number, lowest_temporary_number); }, path,
      options);
}

} // namespace

void run() {
  text program_name = file_part(program_path(), true);
  open_console();
  int count = parameter_count();
  std::vector<text> parameters(1);
  for (int i = 0; i < count; ++i)
    parameters.push_back(next_parameter());
  run_from_parameters(real_disk(), console_printer(), parameters, program_name);
  close_all_listings();
  // After the listings are closed, so that the card can be ejected while the window waits.
  pause_before_closing(app_text::close_window);
}
