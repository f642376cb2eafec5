#pragma once

#include "runtime/text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Console and process. Every message reaches the user through print_line and print_text;
// the confirmation prompt reads its answer through wait_for_key, which is built on poll_key.
//
// Windows: a console gets UTF-16 through WriteConsoleW and colours through
// SetConsoleTextAttribute; a file or pipe gets UTF-8 through WriteFile.
// POSIX: UTF-8 through write(2), unbuffered; colours as ANSI SGR sequences on a terminal
// only, reset when the process ends.
// On a console or terminal, control characters in a text (file names may hold any) are
// shown as "?"; a file or pipe receives the text unchanged. Text from outside (names,
// paths, parameters) goes through from_outside, which on a terminal also hides CR, LF,
// TAB and the bidirectional controls, so that a name can neither forge a line nor
// reorder one. With NO_COLOR set to a non-empty value, no colour is ever written.

/// Keeps the program's arguments for the POSIX layer (the shell has split them already);
/// Windows reads its own command line and ignores them. Call first, before anything else.
void record_arguments(int argc, char **argv);

/// Records the standard input and output and installs the control handler. Call once,
/// before any output. Always true.
bool open_console();

/// Writes the text followed by CR LF in one write, then flushes.
void print_line(std::u16string_view line = {});

/// Writes the text as it is, with nothing added.
void print_text(std::u16string_view piece);

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

/// Waits without using the processor until a key press yields a character, and returns
/// it. When the standard input is not a console, reads one byte instead: end of input,
/// an error or the Esc byte give U+001B, any other byte answers as its character.
text wait_for_key();

/// The number of parameters after the program's own name.
int parameter_count();

/// The next parameter in order; the empty text once all have been handed out.
text next_parameter();

/// The path of the program's own file (POSIX: argv[0] as the program was started).
text program_path();

/// The file part of a path (after the last "\" or "/"), without its extension when asked.
text file_part(std::u16string_view path, bool without_extension);

/// Splits a command line into tokens by the program's rules: only spaces separate, double
/// quotes group and are removed, a backslash is ordinary. The first token is the program.
std::vector<text> split_command_line(std::u16string_view line);

/// Decodes the first key in bytes read from a POSIX terminal. Sets used to the bytes it
/// took. A lone Esc gives U+001B; an escape sequence (arrows, function keys, Alt+key) is
/// taken whole and gives the empty text; otherwise one UTF-8 character.
text decode_key(std::string_view bytes, std::size_t &used);

/// The text as a console or terminal should show it: C0 controls other than LF and CR,
/// DEL, C1 controls, bidirectional formatting characters and bytes that were not UTF-8
/// become "?".
text terminal_safe(std::u16string_view line);

/// The text a Windows console key press yields: U+001B for the Esc key (virtual key code
/// 0x1B) even when it carries no character, as wine's terminal console reports it; the
/// character otherwise; the empty text for a key without one.
text console_key(std::uint16_t virtual_key, char16_t character);

/// Text from outside as a terminal should show it: as terminal_safe, and LF and CR
/// become "?" too.
text outside_safe(std::u16string_view outside);

/// Text from outside (a name, a path, a parameter) as the output may receive it: through
/// outside_safe on a console or terminal, unchanged into a file or pipe.
text from_outside(std::u16string_view outside);

/// Whether the window should wait for a key before it closes: only when the parent is
/// Explorer (its image name, a bare name or a path, compared without case), which gave
/// the program a window of its own that closes with it, and the input is a console.
bool pause_wanted(std::u16string_view parent_image, bool input_is_console);

/// When pause_wanted says so, shows "Press any key to close this window..." and waits for
/// one key (typed-ahead keys discarded first). Call once, after the run's last output.
void pause_before_closing();

/// Ends the process with the exit code (POSIX: resets the terminal's colours first).
[[noreturn]] void end_process(int exit_code);

namespace console_detail {
/// The command-line tokens, the program's own name first (platform part).
const std::vector<text> &command_tokens();
/// Whether the standard output is a console or terminal (platform part).
bool output_is_terminal();
/// Whether the standard input is a console or terminal (platform part).
bool input_is_console();
/// The image name of the process that started this one, a bare name or a path; the empty
/// text when it is not found, and always on POSIX (platform part).
text parent_image_name();
} // namespace console_detail
