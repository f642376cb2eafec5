#pragma once

#include <cstddef>
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

/// Whether a code unit is the first half of a surrogate pair (U+D800..U+DBFF).
constexpr bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

/// Whether a code unit is the second half of a surrogate pair (U+DC00..U+DFFF).
constexpr bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

/// True when the code unit is a byte that decode_name could not read as UTF-8.
bool is_raw_byte_unit(char16_t unit);

/// The platform's per-character upper-case mapping of one code unit.
char16_t upper_char(char16_t unit);

/// The platform's per-character lower-case mapping of one code unit.
char16_t lower_char(char16_t unit);

/// A name exactly as the file system holds it, in hex (lower case): its bytes on POSIX (a
/// byte that was not UTF-8 as it was), its UTF-16LE units on Windows.
text exact_name_hex(std::u16string_view name);

/// Plain decimal: no leading zeros, no grouping, a minus sign only for negative values.
text decimal_text(std::int64_t number);

/// Widens an ASCII literal into a text.
text ascii_text(std::string_view ascii);

/// The number of "{}" slots in a pattern.
constexpr std::size_t slot_count(std::u16string_view pattern) {
  std::size_t count = 0;
  for (std::size_t at = pattern.find(u"{}"); at != std::u16string_view::npos;
       at = pattern.find(u"{}", at + 2))
    ++count;
  return count;
}

/// A fixed text with slots "{}" for values, made from a literal at compile time: a literal
/// with another number of slots than the type says does not compile, and neither does a
/// fill() with another number of values.
template <std::size_t slots> class slotted_text {
public:
  /// The literal, whose slots are counted.
  consteval slotted_text(const char16_t *literal) : pattern(literal) {
    if (slot_count(pattern) != slots)
      throw "the text does not have as many {} slots as its type says";
  }
  std::u16string_view pattern;
};

/// The pattern with each "{}" replaced by the next value, in order; as many values as slots.
text fill_slots(std::u16string_view pattern, std::initializer_list<std::u16string_view> values);

/// A slotted text with its slots filled by the values, in order.
template <std::size_t slots, typename... values>
requires(sizeof...(values) == slots) text fill(const slotted_text<slots> &fixed, const values &...value) {
  return fill_slots(fixed.pattern, {std::u16string_view(value)...});
}
