#include "runtime/text_platform.h"

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

// Maps one code unit; a surrogate, or a mapping outside the 16-bit range, stays as it
// is. ascii is the ASCII mapping, which every locale shares and which serves alone when
// the locale is missing.
char16_t map_case(char16_t unit, wint_t (*mapping)(wint_t, locale_t), char16_t ascii) {
  if (unit < 0x80)
    return ascii;
  locale_t locale = case_locale();
  if (is_surrogate(unit) || !locale)
    return unit;
  wint_t mapped = mapping(static_cast<wint_t>(unit), locale);
  return mapped <= 0xFFFF && !is_surrogate(static_cast<char16_t>(mapped)) ? static_cast<char16_t>(mapped)
                                                                          : unit;
}

} // namespace

char16_t text_platform::upper(char16_t unit) {
  return map_case(unit, towupper_l, unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit);
}

char16_t text_platform::lower(char16_t unit) {
  return map_case(unit, towlower_l, unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit);
}

std::string text_platform::exact_bytes(std::u16string_view name) { return encode_name(name); }
