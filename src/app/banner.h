#pragma once

#include "runtime/text.h"

/// Prints the coloured drawing of the camera; leaves the colours at 7 on 0.
void print_banner();

/// Prints the banner and the help screen, with the program's name in the usage line.
void print_help(std::u16string_view program_name);
