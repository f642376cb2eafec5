#include "runtime/terminal_text.h"

namespace {

// The characters that change the order in which a terminal shows what follows them.
bool is_bidirectional_control(char16_t unit) {
  return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E) ||
         (unit >= 0x2066 && unit <= 0x2069);
}

text shown_safely(std::u16string_view piece, bool keep_line_breaks) {
  text out(piece);
  for (std::size_t k = 0; k < out.size(); ++k) {
    char16_t &unit = out[k];
    // The second half of a pair is part of a real character (U+1F4F9 is D83D DCF9), even
    // where it has the value of a byte that was not UTF-8: only a lone one stands for such
    // a byte.
    if (is_high_surrogate(unit) && k + 1 < out.size() && is_low_surrogate(out[k + 1])) {
      ++k;
      continue;
    }
    bool line_break = unit == u'\n' || unit == u'\r';
    bool control = (unit < 0x20 && !(keep_line_breaks && line_break)) || (unit >= 0x7F && unit <= 0x9F);
    if (control || is_raw_byte_unit(unit) || is_bidirectional_control(unit))
      unit = u'?';
  }
  return out;
}

} // namespace

text terminal_safe(std::u16string_view line) { return shown_safely(line, true); }

text outside_safe(std::u16string_view outside) { return shown_safely(outside, false); }
