// The name module on any 16-bit text: whatever a name is taken for, the names built from its
// pieces read back as those pieces. A final name or a temporary name is written again
// unchanged; a camera name's final names (every form) and temporary names read back to it.
#include "fuzz_input.h"
#include "sorter/camera_names.h"

#include <cstdlib>

namespace {

void check(bool holds) {
  if (!holds)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1)
    return 0;
  text name = units_of(data + 1, size - 1);
  name_parts parts = classify_name(name);
  switch (parts.kind) {
  case name_kind::final_name:
    check(final_name(parts) == name);
    break;
  case name_kind::temporary:
  case name_kind::camera_temporary:
    check(temporary_name(parts.number, finished_name(parts)) == name);
    check(classify_name(finished_name(parts)).kind != name_kind::other);
    break;
  case name_kind::camera: {
    auto form = static_cast<name_form>(data[0] % 3);
    if (form == name_form::short_83 && needs_all(parts))
      form = name_form::plain; // no 8.3 name holds a prefix or a 360 video: -o leaves those alone
    name_parts final = final_parts_of(parts, form, static_cast<date_value>(data[0]) * 86400 * 97 - 1);
    text written = final_name(final);
    name_parts again = classify_name(written);
    // An 8.3 name is a camera name too (whose pieces, in the camera's order, may cut a
    // character the 8.3 order keeps whole); a long one keeps the codec word only.
    check(form == name_form::short_83
              ? again.kind == name_kind::cut_character ||
                    (again.kind == name_kind::camera && again.short_final && as_short_final(again) == final)
              : again == final);
    check(classify_name(temporary_name(4821, written)).kind == name_kind::temporary);
    if (parts.short_final)
      check(final_name(as_short_final(parts)) == name);
    if (camera_writes(final))
      check(camera_name_of(final, data[0] & 1).size() == final.prefix.size() + camera_name::length);
    break;
  }
  default:
    break;
  }
  return 0;
}
