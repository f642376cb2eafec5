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
  auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  if (low == -1 && !written.empty())
    std::abort();
  if (mask.find(u'%') == text::npos && low >= 0 && written != mask)
    std::abort();
  return 0;
}
