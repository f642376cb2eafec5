#include "runtime/text.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace {

// Case mapping follows "C.UTF-8" whatever the user's locale is, so that a run gives the
// same names everywhere; without that locale, only ASCII letters are mapped.
locale_t case_locale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

bool is_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

} // namespace

char16_t upper_char(char16_t unit) {
  if (is_surrogate(unit))
    return unit;
  if (locale_t locale = case_locale()) {
    wint_t mapped = towupper_l(static_cast<wint_t>(unit), locale);
    return mapped <= 0xFFFF && !is_surrogate(static_cast<char16_t>(mapped)) ? static_cast<char16_t>(mapped)
                                                                            : unit;
  }
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

char16_t lower_char(char16_t unit) {
  if (is_surrogate(unit))
    return unit;
  if (locale_t locale = case_locale()) {
    wint_t mapped = towlower_l(static_cast<wint_t>(unit), locale);
    return mapped <= 0xFFFF && !is_surrogate(static_cast<char16_t>(mapped)) ? static_cast<char16_t>(mapped)
                                                                            : unit;
  }
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}
