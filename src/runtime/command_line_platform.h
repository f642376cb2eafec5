#pragma once

// The contract beneath the command-line service: what each platform's command-line file
// defines, both all of it. Nothing but the command-line service includes this header.

#include "runtime/command_line.h"

namespace command_line_platform {
/// Keeps the arguments as record_arguments says.
void record(int argc, char **argv);
/// The command-line tokens, the program's own name first.
const std::vector<text> &command_tokens();
/// The path of the program's own file, as program_path says.
text program_path();
} // namespace command_line_platform
