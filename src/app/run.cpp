#include "app/run.h"

#include "app/banner.h"
#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/eligibility.h"
#include "sorter/names.h"
#include "sorter/rename.h"
#include "sorter/run_state.h"
#include "sorter/scan.h"

#include <vector>

namespace {

// Index 0 exists and stays empty; the path is parameter 1, switches follow.
std::vector<text> parameters;

void print_path_message(const text &path) {
  print_line();
  print_line(u"  No valid path specified, could not find \"" + from_outside(path) + u"\".");
  print_line(u"  Should your path contain spaces, please enclose it between quotes.");
  print_line(u"  For example:");
  print_line(u"     \"C:\\Users\\Me\\Desktop\\My Folder\"");
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
bool set_option(const text &switch_text) {
  struct known_switch {
    std::u16string_view name;
    bool run_options::*option;
  };
  static constexpr known_switch switches[] = {
      {u"-s", &run_options::simulate}, {u"-d", &run_options::date_prefix}, {u"-r", &run_options::recursive},
      {u"-v", &run_options::verbose},  {u"-o", &run_options::short_names}, {u"-u", &run_options::unattended},
      {u"-l", &run_options::sidecars}, {u"-f", &run_options::finish},
  };
  for (const known_switch &known : switches) {
    if (switch_text == known.name) {
      options.*known.option = true;
      return true;
    }
  }
  return false;
}

// The stages after the switches: banner, scan, eligibility, jobs, names and preview,
// confirmation and renaming.
void sort_chapters() {
  print_banner();
  scan(parameters[1], options.recursive, top_scan_listing);
  if (eligibility_pass() == 0) {
    print_line(u"\n\r  No GoPro files found at specified path. Aborting");
    return;
  }
  job_building_pass();
  assign_new_names();
  print_preview();
  confirm_and_rename();
}

void run_from_parameters(const text &program_name) {
  if (parameters.size() == 1) {
    print_help(program_name);
    return;
  }
  const text &path = parameters[1];
  // The path test's listing is never read; close_all_listings ends it with the run. An
  // empty path (a variable that was never set) would list the current folder: refused,
  // since the current folder is named "." by anyone who means it.
  if (path.empty() || !open_listing(new_listing_handle, path, u"")) {
    print_path_message(path);
    return;
  }
  text help_hint = u"\n\r  For help, run \"" + program_name + u"\" without parameters";
  for (std::size_t i = 2; i < parameters.size(); ++i) {
    text switch_text = normalised_switch(parameters[i]);
    if (!set_option(switch_text)) {
      print_line(u"\n\r  Unknown paramenter encountered: " + from_outside(switch_text) + u"." + help_hint);
      return;
    }
  }
  sort_chapters();
}

} // namespace

void run() {
  text program_name = file_part(program_path(), true);
  open_console();
  int count = parameter_count();
  parameters.assign(1, text());
  for (int i = 0; i < count; ++i)
    parameters.push_back(next_parameter());
  run_from_parameters(program_name);
  close_all_listings();
  // After the listings are closed, so that the card can be ejected while the window waits.
  pause_before_closing();
  // Everything the run made goes before the process ends.
  std::vector<text>().swap(parameters);
  std::vector<found_file_record>().swap(file_list);
  std::vector<rename_job>().swap(job_list);
}
