#pragma once

#include "runtime/text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// The console: output with and without a line end, colours, and the keys that answer a
// prompt. Every message reaches the user through print_line and print_text.
//
// Windows: a console gets UTF-16 through WriteConsoleW and colours through
// SetConsoleTextAttribute; a file or pipe gets UTF-8 through WriteFile.
// POSIX: UTF-8 through write(2), unbuffered; colours as ANSI SGR sequences on a terminal
// only, reset when the process ends.
// On a console or terminal, control characters in a text are shown as "?"
// (terminal_text.h); a file or pipe receives the text unchanged. With NO_COLOR set to a
// non-empty value, no colour is ever written.

/// Records the standard input and output and installs the control handler. Call once,
/// before any output.
void open_console();

/// The colours of the console's 16-colour palette that the program shows.
enum class console_color : std::uint8_t { black = 0, light_grey = 7, light_red = 12, yellow = 14 };

/// The one way out for the program's lines: the console (standard output), or in tests a
/// text of their own. Each line goes out at once, in one write, so that it reaches a pipe
/// or a file the moment it is done.
class line_printer {
public:
  virtual ~line_printer() = default;
  /// Writes the text followed by CR LF.
  virtual void print_line(std::u16string_view line = {}) = 0;
  /// Writes the text as it is, with nothing added.
  virtual void print_text(std::u16string_view piece) = 0;
  /// Text from outside (a name, a path, a parameter) as this output may show it.
  virtual text from_outside(std::u16string_view outside) const = 0;
  /// Sets the colours of what follows, where the output shows colours.
  virtual void set_colors(console_color foreground, console_color background) = 0;
};

/// The console as a line_printer: print_line, print_text, from_outside and set_colors below.
line_printer &console_printer();

/// Writes the text followed by CR LF in one write, then flushes.
void print_line(std::u16string_view line = {});

/// Writes the text as it is, with nothing added.
void print_text(std::u16string_view piece);

/// Text from outside (a name, a path, a parameter, the program's own name) as the output
/// may receive it: through outside_safe on a console or terminal, unchanged into a file or
/// pipe.
text from_outside(std::u16string_view outside);

/// Sets the colours of all text written afterwards (colour numbers 0..15: bit 1 blue, 2
/// green, 4 red, 8 bright); does nothing if either is 16 or more, or outside a console.
void set_colors(int foreground, int background);

/// Returns at once: a one-character text for a waiting key press that yields a character
/// (U+001B for Esc), the empty text for a key without one, or when nothing waits, or when
/// the standard input is not a console.
text poll_key();

/// Discards every key typed so far and not yet read, so that only a key pressed after
/// this call answers. Input that is not a console (a piped answer) is kept.
void discard_typed_keys();

/// Empties the console's input queue at once, without waiting: called right after a prompt
/// is written, it drops a key the system handed over after discard_typed_keys and before
/// the prompt could be seen. Input that is not a console is kept.
void drop_pending_keys();

/// Waits without using the processor until a key press yields a character, and returns
/// it. When the standard input is not a console, reads one byte instead: end of input,
/// an error or the Esc byte give U+001B, any other byte answers as its character.
text wait_for_key();

/// When the window is the program's own (started from Explorer) and the input is a
/// console, prints the closing line and waits for one key (typed-ahead
/// keys discarded first). Call once, after the run's last output.
void pause_before_closing(std::u16string_view closing_line);

/// Ends the process with the exit code (POSIX: resets the terminal's colours first).
[[noreturn]] void end_process(int exit_code);
