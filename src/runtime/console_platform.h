#pragma once

// What each platform's console file provides to console.cpp. Nothing outside the console
// service includes this header.

#include "runtime/console.h"

namespace console_detail {
/// Whether the standard output is a console or terminal.
bool output_is_terminal();
/// Whether the standard input is a console or terminal.
bool input_is_console();
/// The image name of the process that started this one, a bare name or a path; the empty
/// text when it is not found, and always on POSIX.
text parent_image_name();
} // namespace console_detail
