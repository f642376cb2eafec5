#pragma once

#include "runtime/text.h"

#include <vector>

// The program's parameters and its own name. Windows splits its own command line
// (GetCommandLineW) by the program's rules; on POSIX the shell has split it already and
// the arguments are taken as they come.

/// Keeps the program's arguments for the POSIX layer; Windows reads its own command line
/// and ignores them. Call first, before anything else.
void record_arguments(int argc, char **argv);

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
