#pragma once

#include "runtime/console.h"
#include "runtime/text.h"

/// Prints the coloured drawing of the camera; leaves the colours at light grey on black.
void print_banner(line_printer &out);

/// Prints the banner and the help screen, with the program's name in the usage line.
void print_help(line_printer &out, std::u16string_view program_name);
