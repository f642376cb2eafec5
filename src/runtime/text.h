#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

/// All text of the program: Unicode held as UTF-16 code units, on every platform, so that
/// lengths, positions and case mapping count code units the same way everywhere.
using text = std::u16string;

/// Decodes bytes (file names, arguments) as UTF-8. A byte that is not part of valid UTF-8
/// becomes the lone surrogate U+DC80 + byte, so encode_name gives back the same bytes.
text decode_name(std::string_view bytes);

/// Encodes a text as UTF-8; a lone surrogate U+DC80..U+DCFF becomes its original byte,
/// any other lone surrogate becomes U+FFFD.
std::string encode_name(std::u16string_view units);

/// True when the code unit is a byte that decode_name could not read as UTF-8.
bool is_raw_byte_unit(char16_t unit);

/// The platform's per-character upper-case mapping of one code unit.
char16_t upper_char(char16_t unit);

/// The platform's per-character lower-case mapping of one code unit.
char16_t lower_char(char16_t unit);

/// Plain decimal: no leading zeros, no grouping, a minus sign only for negative values.
text decimal_text(std::int64_t number);

/// Widens an ASCII literal into a text.
text ascii_text(std::string_view ascii);

/// The pattern with each "{}" replaced by the next value, in order.
text fill(std::u16string_view pattern, std::initializer_list<std::u16string_view> values);
