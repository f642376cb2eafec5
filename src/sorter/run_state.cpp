#include "sorter/run_state.h"

#include "runtime/console.h"

run_options options;
std::vector<found_file_record> file_list;
std::vector<rename_job> job_list;

void verbose_line(std::u16string_view line) {
  if (options.verbose)
    print_line(line);
}
