// format_date with any mask and any value.
#include "fuzz_input.h"
#include "runtime/dates.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 8)
    return 0;
  std::int64_t value;
  std::memcpy(&value, data, 8);
  text mask = units_of(data + 8, size - 8);
  text written = format_date(mask, value);
  // Every token of at most five characters writes at most four; other characters one.
  if (written.size() > mask.size())
    std::abort();
  // Outside 1970..9999 there is no date, and so no text at all.
  bool valid = value >= 0 && value <= latest_date;
  if (!valid && !written.empty())
    std::abort();
  if (mask.find(u'%') == text::npos && valid && written != mask)
    std::abort();
  return 0;
}
