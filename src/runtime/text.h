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
