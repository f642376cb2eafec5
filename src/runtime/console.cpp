#include "runtime/console_platform.h"

#include "runtime/command_line.h"
#include "runtime/terminal_text.h"

using console_platform::decoded_key;

void open_console() { console_platform::open(); }

void print_line(std::u16string_view line) { console_platform::write(line, true); }

void print_text(std::u16string_view piece) {
  if (!piece.empty())
    console_platform::write(piece, false);
}

void set_colors(int foreground, int background) {
  if (foreground >= 0 && background >= 0 && foreground < 16 && background < 16)
    console_platform::colours(foreground, background);
}

text poll_key() { return console_platform::poll(); }

void discard_typed_keys() { console_platform::discard_typed(); }

void drop_pending_keys() { console_platform::drop_pending(); }

text wait_for_key() { return console_platform::wait(); }

void end_process(int exit_code) { console_platform::end(exit_code); }

decoded_key console_platform::decode_key(std::string_view bytes) {
  if (bytes.empty())
    return {{}, 0, false};
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  if (byte(0) == 0x1B) {
    // A terminal sends the bytes of one key together: an Esc with nothing behind it yet
    // may still be the start of an arrow key.
    if (bytes.size() == 1)
      return {text(1, u'\x1b'), 1, false};
    if (byte(1) == 0x1B)
      return {text(1, u'\x1b'), 1, true}; // the first of two Esc presses
    if (byte(1) == '[') {
      // CSI: parameter and intermediate bytes, then one final byte 0x40..0x7E.
      for (std::size_t k = 2; k < bytes.size(); ++k)
        if (byte(k) >= 0x40 && byte(k) <= 0x7E)
          return {{}, k + 1, true};
      return {{}, bytes.size(), false};
    }
    if (byte(1) == 'O') // SS3: F1..F4, keypad arrows
      return bytes.size() >= 3 ? decoded_key{{}, 3, true} : decoded_key{{}, bytes.size(), false};
    // Alt+key: Esc followed by the key's own character.
    decoded_key alt = decode_key(bytes.substr(1));
    return {{}, 1 + alt.used, alt.complete};
  }
  // One character: as much as one UTF-8 sequence, at least one byte.
  unsigned char lead = byte(0);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  bool complete = length <= bytes.size();
  text key = decode_name(bytes.substr(0, length));
  // Not valid UTF-8, a sequence cut short among them: the byte alone answers.
  if (is_raw_byte_unit(key[0]))
    return {key.substr(0, 1), 1, complete};
  return {key, length, complete};
}

text console_platform::console_key(std::uint16_t virtual_key, char16_t character) {
  constexpr std::uint16_t escape_key = 0x1B;
  if (virtual_key == escape_key)
    return text(1, u'\x1b');
  return character == 0 ? text() : text(1, character);
}

text from_outside(std::u16string_view outside) {
  return console_platform::output_is_terminal() ? outside_safe(outside) : text(outside);
}

namespace {

class console_line_printer final : public line_printer {
public:
  void print_line(std::u16string_view line) override { ::print_line(line); }
  void print_text(std::u16string_view piece) override { ::print_text(piece); }
  text from_outside(std::u16string_view outside) const override { return ::from_outside(outside); }
  void set_colors(console_color foreground, console_color background) override {
    ::set_colors(static_cast<int>(foreground), static_cast<int>(background));
  }
};

} // namespace

line_printer &console_printer() {
  static console_line_printer printer;
  return printer;
}

bool console_platform::pause_wanted(std::u16string_view parent_image, bool input_is_console) {
  if (!input_is_console)
    return false;
  text name = file_part(parent_image, false);
  for (char16_t &unit : name)
    unit = lower_char(unit);
  return name == u"explorer.exe";
}

void pause_before_closing(std::u16string_view closing_line) {
  // The processes are listed only when the answer could be yes: a pipe never waits.
  bool input_is_console = console_platform::input_is_console();
  if (!console_platform::pause_wanted(input_is_console ? console_platform::parent_image_name() : text(),
                                      input_is_console))
    return;
  // As at the confirmation prompt: only a key pressed once the line shows may close it.
  discard_typed_keys();
  print_line(closing_line);
  drop_pending_keys();
  wait_for_key();
}
