// The eligibility test and the new names on any 16-bit text: an eligible name always
// gives a final name ending in ".mp4" and a temporary name of four digits, "_" and the
// final name, which -f then takes for one of its own.
#include "fuzz_input.h"
#include "sorter/eligibility.h"
#include "sorter/names.h"
#include "sorter/run_state.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1)
    return 0;
  options.date_prefix = (data[0] & 1) != 0;
  options.short_names = (data[0] & 2) != 0;
  text name = units_of(data + 1, size - 1);
  file_list.assign(1, found_file_record{std::make_shared<const text>(u"card"), name,
                                        static_cast<date_value>(data[0]) * 86400 * 97, false});
  job_list.clear();
  {
    bool eligible = eligibility_test(name);
    file_list[0].eligible = eligible;
    job_building_pass();
    if (job_list.size() != (eligible ? 1u : 0u))
      std::abort();
  }
  assign_new_names();
  for (const rename_job &job : job_list) {
    const text &final_name = job.final_name;
    if (final_name.size() < 4 || final_name.substr(final_name.size() - 4) != u".mp4")
      std::abort();
    if (job.temp_name.size() != final_name.size() + 5 || job.temp_name.substr(5) != final_name ||
        job.temp_name[4] != u'_' || job.temp_name[0] < u'1' || job.temp_name[0] > u'9')
      std::abort();
    for (int k = 1; k < 4; ++k)
      if (job.temp_name[k] < u'0' || job.temp_name[k] > u'9')
        std::abort();
    if (options.short_names && final_name.size() != 12)
      std::abort();
    if (!temporary_name_test(job.temp_name))
      std::abort();
  }
  return 0;
}
