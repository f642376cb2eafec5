#include "runtime/console.h"

namespace {

std::size_t parameter_position = 0;

} // namespace

int parameter_count() {
  const std::vector<text> &tokens = console_detail::command_tokens();
  return tokens.empty() ? 0 : static_cast<int>(tokens.size() - 1);
}

text next_parameter() {
  if (parameter_position >= static_cast<std::size_t>(parameter_count()))
    return {};
  return console_detail::command_tokens()[1 + parameter_position++];
}

std::vector<text> split_command_line(std::u16string_view line) {
  std::vector<text> tokens;
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && line[i] == u' ')
      ++i;
    if (i == n)
      break;
    text token;
    if (line[i] == u'"') {
      // A quoted token ends at its closing quote even when no space follows.
      std::size_t close = line.find(u'"', i + 1);
      std::size_t end = close == std::u16string_view::npos ? n : close;
      token.assign(line.substr(i + 1, end - i - 1));
      i = close == std::u16string_view::npos ? n : close + 1;
    } else {
      bool quoted = false;
      for (; i < n; ++i) {
        char16_t c = line[i];
        if (c == u'"')
          quoted = !quoted;
        else if (c == u' ' && !quoted)
          break;
        else
          token += c;
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

text file_part(std::u16string_view path, bool without_extension) {
  std::size_t begin = !path.empty() && path[0] == u'"' ? 1 : 0;
  std::size_t separator = path.find_last_of(u"\\/");
  if (separator != std::u16string_view::npos && separator + 1 > begin)
    begin = separator + 1;
  std::size_t end = path.find(u'"', begin);
  if (end == std::u16string_view::npos)
    end = path.size();
  text part(path.substr(begin, end - begin));
  if (!without_extension)
    return part;
  // From the last character back to the second: a space keeps the part whole, a dot cuts
  // it unless the dot ends the part. A leading dot (".profile") is never looked at.
  for (std::size_t k = part.size(); k-- > 1;) {
    if (part[k] == u' ')
      break;
    if (part[k] == u'.') {
      if (k + 1 < part.size())
        part.resize(k);
      break;
    }
  }
  return part;
}

text decode_key(std::string_view bytes, std::size_t &used) {
  used = 0;
  if (bytes.empty())
    return {};
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  if (byte(0) == 0x1B) {
    if (bytes.size() == 1 || byte(1) == 0x1B) {
      used = 1; // a lone Esc, or the first of two Esc presses
      return text(1, u'\x1b');
    }
    if (byte(1) == '[') {
      // CSI: parameter and intermediate bytes, then one final byte 0x40..0x7E.
      std::size_t k = 2;
      while (k < bytes.size() && (byte(k) < 0x40 || byte(k) > 0x7E))
        ++k;
      used = k < bytes.size() ? k + 1 : bytes.size();
      return {};
    }
    if (byte(1) == 'O') {
      used = bytes.size() < 3 ? bytes.size() : 3; // SS3: F1..F4, keypad arrows
      return {};
    }
    // Alt+key: Esc followed by the key's own character.
    std::size_t length = 0;
    decode_key(bytes.substr(1), length);
    used = 1 + length;
    return {};
  }
  // One character: as much as one UTF-8 sequence, at least one byte.
  unsigned char lead = byte(0);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length > bytes.size())
    length = bytes.size();
  text key = decode_name(bytes.substr(0, length));
  if (is_raw_byte_unit(key[0])) {
    used = 1; // not valid UTF-8: the byte alone answers
    return key.substr(0, 1);
  }
  used = length;
  return key;
}

text console_key(std::uint16_t virtual_key, char16_t character) {
  constexpr std::uint16_t escape_key = 0x1B;
  if (virtual_key == escape_key)
    return text(1, u'\x1b');
  return character == 0 ? text() : text(1, character);
}

namespace {

// The characters that change the order in which a terminal shows what follows them.
bool is_bidirectional_control(char16_t unit) {
  return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E) ||
         (unit >= 0x2066 && unit <= 0x2069);
}

text shown_safely(std::u16string_view piece, bool keep_line_breaks) {
  text out(piece);
  for (char16_t &unit : out) {
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

text from_outside(std::u16string_view outside) {
  return console_detail::output_is_terminal() ? outside_safe(outside) : text(outside);
}

bool pause_wanted(std::u16string_view parent_image, bool input_is_console) {
  if (!input_is_console)
    return false;
  text name = file_part(parent_image, false);
  for (char16_t &unit : name)
    unit = lower_char(unit);
  return name == u"explorer.exe";
}

void pause_before_closing() {
  // The processes are listed only when the answer could be yes: a pipe never waits.
  bool input_is_console = console_detail::input_is_console();
  if (!pause_wanted(input_is_console ? console_detail::parent_image_name() : text(), input_is_console))
    return;
  // As at the confirmation prompt: only a key pressed once the line shows may close it.
  discard_typed_keys();
  print_line(u"\n\r  Press any key to close this window...");
  wait_for_key();
}
