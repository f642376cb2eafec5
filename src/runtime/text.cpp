#include "runtime/text_platform.h"

namespace {

constexpr char16_t raw_byte_base = 0xDC00;

// Length of the UTF-8 sequence that starts at bytes[i], or 0 when it is not valid UTF-8
// (overlong forms, surrogates and values above U+10FFFF are refused, as the standard asks).
std::size_t valid_sequence_length(std::string_view bytes, std::size_t i, char32_t &code) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  unsigned char lead = byte(i);
  std::size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > bytes.size())
    return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

// Writes the UTF-8 form of code at out and returns the position after it.
char *put_utf8(char *out, char32_t code) {
  if (code < 0x80) {
    *out++ = static_cast<char>(code);
  } else if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code >> 6));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code >> 18));
    *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

} // namespace

text decode_name(std::string_view bytes) {
  text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t code = 0;
    std::size_t length = valid_sequence_length(bytes, i, code);
    if (length == 0) {
      out += static_cast<char16_t>(raw_byte_base + static_cast<unsigned char>(bytes[i]));
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += length;
  }
  return out;
}

bool is_raw_byte_unit(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

std::string encode_name(std::u16string_view units) {
  // Every code unit takes at most three bytes (a pair of two takes four).
  std::string out(units.size() * 3, '\0');
  char *end = out.data();
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t unit = units[i];
    if (unit < 0x80) {
      *end++ = static_cast<char>(unit);
    } else if (is_high_surrogate(unit) && i + 1 < units.size() && is_low_surrogate(units[i + 1])) {
      end = put_utf8(end, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (is_raw_byte_unit(unit)) {
      *end++ = static_cast<char>(unit - raw_byte_base);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      end = put_utf8(end, 0xFFFD);
    } else {
      end = put_utf8(end, unit);
    }
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

// U+0000 maps to itself everywhere; CharUpperW would read it as a pointer to no text.
char16_t upper_char(char16_t unit) { return unit == 0 ? unit : text_platform::upper(unit); }

char16_t lower_char(char16_t unit) { return unit == 0 ? unit : text_platform::lower(unit); }

text exact_name_hex(std::u16string_view name) {
  constexpr char16_t digits[] = u"0123456789abcdef";
  text hex;
  for (unsigned char byte : text_platform::exact_bytes(name)) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0xF];
  }
  return hex;
}

text decimal_text(std::int64_t number) { return ascii_text(std::to_string(number)); }

text ascii_text(std::string_view ascii) { return text(ascii.begin(), ascii.end()); }

text fill_slots(std::u16string_view pattern, std::initializer_list<std::u16string_view> values) {
  constexpr std::u16string_view slot = u"{}";
  std::size_t size = pattern.size();
  for (std::u16string_view value : values)
    size += value.size();
  text out;
  out.reserve(size);
  const std::u16string_view *value = values.begin();
  for (std::size_t at = 0;;) {
    std::size_t found = value == values.end() ? std::u16string_view::npos : pattern.find(slot, at);
    if (found == std::u16string_view::npos) {
      out += pattern.substr(at);
      return out;
    }
    out += pattern.substr(at, found - at);
    out += *value++;
    at = found + slot.size();
  }
}
