#pragma once

// What each platform's command-line file provides to command_line.cpp. Nothing outside the
// command-line service includes this header.

#include "runtime/command_line.h"

namespace command_line_detail {
/// The command-line tokens, the program's own name first.
const std::vector<text> &command_tokens();
} // namespace command_line_detail
