#pragma once

// The contract beneath the console service: what each platform's console file defines
// (both all of it), and the decoding of keys and of the window's parent that console.cpp
// shares with them. Nothing but the console service and its tests includes this header.

#include "runtime/console.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace console_platform {

/// Records the standard handles, installs the control handler (open_console).
void open();
/// Writes a piece of text, and the line end with it, in one write; through terminal_safe
/// on a console or terminal.
void write(std::u16string_view piece, bool line_end);
/// Sets colours 0..15 on a console or terminal (set_colors).
void colours(int foreground, int background);
/// A waiting key press, as poll_key says.
text poll();
/// Discards the keys typed so far (discard_typed_keys).
void discard_typed();
/// Empties the input queue at once (drop_pending_keys).
void drop_pending();
/// Waits for a key (wait_for_key).
text wait();
/// Ends the process (end_process).
[[noreturn]] void end(int exit_code);
/// Whether the standard output is a console or terminal.
bool output_is_terminal();
/// Whether the standard input is a console or terminal.
bool input_is_console();
/// The image name of the process that started this one, a bare name or a path; the empty
/// text when it is not found, and always on POSIX.
text parent_image_name();

/// The first key in bytes read from a POSIX terminal.
struct decoded_key {
  text key;             ///< U+001B for a lone Esc; empty for an escape sequence; else one character
  std::size_t used = 0; ///< the bytes the key takes
  bool complete = true; ///< false when more bytes of the same key may still be on their way
};

/// Decodes the first key in the bytes. A lone Esc gives U+001B; an escape sequence
/// (arrows, function keys, Alt+key) is taken whole and gives the empty text; otherwise
/// one UTF-8 character. When the bytes end where the key could go on (an Esc alone, a
/// sequence or a character cut short), complete is false, and key and used say how to
/// take what is there should nothing more arrive.
decoded_key decode_key(std::string_view bytes);

/// The text a Windows console key press yields: U+001B for the Esc key (virtual key code
/// 0x1B) even when it carries no character, as wine's terminal console reports it; the
/// character otherwise; the empty text for a key without one.
text console_key(std::uint16_t virtual_key, char16_t character);

/// Whether the window should wait for a key before it closes: only when the parent is
/// Explorer (its image name, a bare name or a path, compared without case), which gave
/// the program a window of its own that closes with it, and the input is a console.
bool pause_wanted(std::u16string_view parent_image, bool input_is_console);

} // namespace console_platform
