// The name module on any 16-bit text: a chapter file gives a final name that parses back
// to its parts, and a temporary name that -f takes back to that final name; any name the
// final-name or temporary-name parser takes is written again unchanged.
#include "fuzz_input.h"
#include "runtime/random.h"
#include "sorter/camera_names.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1)
    return 0;
  text name = units_of(data + 1, size - 1);
  if (std::optional<final_name_parts> parsed = parse_final_name(name); parsed && final_name(*parsed) != name)
    std::abort();
  if (std::optional<final_name_parts> parsed = parse_temporary_name(name);
      parsed && temporary_name(std::stoull(encode_name(name.substr(0, 4))), final_name(*parsed)) != name)
    std::abort();
  if (eligibility_test(name) != name_verdict::taken)
    return 0;
  final_name_parts parts;
  parts.pieces = chapter_parts_of(name);
  parts.form = static_cast<name_form>(data[0] % 3);
  if (parts.form == name_form::dated)
    parts.date_text = date_text_of(static_cast<date_value>(data[0]) * 86400 * 97 - 1);
  text final = final_name(parts);
  std::optional<final_name_parts> again = parse_final_name(final);
  // A long form keeps the codec word only: the letter comes back as X or H.
  if (!again || again->form != parts.form || again->date_text != parts.date_text ||
      again->pieces.chapter != parts.pieces.chapter ||
      again->pieces.recording_number != parts.pieces.recording_number ||
      (parts.form == name_form::short_83 && again->pieces.codec_letter != parts.pieces.codec_letter))
    std::abort();
  text temporary = temporary_name(random_number(highest_temporary_number, lowest_temporary_number), final);
  std::optional<final_name_parts> finished = parse_temporary_name(temporary);
  if (!finished || final_name(*finished) != final)
    std::abort();
  return 0;
}
