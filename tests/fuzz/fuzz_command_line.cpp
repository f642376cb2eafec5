// The command-line splitter and file_part on any UTF-16 text.
#include "fuzz_input.h"
#include "runtime/command_line.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  text line = units_of(data, size);
  std::vector<text> tokens = split_command_line(line);
  std::size_t kept = 0;
  for (const text &token : tokens) {
    // A token never holds a quote, and never more characters than the line.
    if (token.find(u'"') != text::npos)
      std::abort();
    kept += token.size();
  }
  if (kept > line.size())
    std::abort();
  // Without quotes, splitting is plain splitting at spaces.
  if (line.find(u'"') == text::npos) {
    text joined;
    for (const text &token : tokens)
      joined += token;
    text without_spaces;
    for (char16_t unit : line)
      if (unit != u' ')
        without_spaces += unit;
    if (joined != without_spaces)
      std::abort();
  }
  for (bool without_extension : {false, true}) {
    text part = file_part(line, without_extension);
    if (part.find_first_of(u"\\/\"") != text::npos || part.size() > line.size())
      std::abort();
  }
  return 0;
}
