#pragma once

#include "runtime/text.h"

// What a terminal or console may be shown. A file name may hold any character, so text from
// outside (names, paths, parameters, the program's own name) is masked before it reaches a
// terminal, the way ls does it; files and pipes get it unchanged (see from_outside).

/// The text as a console or terminal should show it: C0 controls other than LF and CR,
/// DEL, C1 controls, bidirectional formatting characters and bytes that were not UTF-8
/// become "?". A character beyond U+FFFF (a surrogate pair) stays as it is.
text terminal_safe(std::u16string_view line);

/// Text from outside as a terminal should show it: as terminal_safe, and LF and CR
/// become "?" too, so that a name can neither forge a line nor reorder one.
text outside_safe(std::u16string_view outside);
