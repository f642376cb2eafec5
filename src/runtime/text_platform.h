#pragma once

// The contract beneath the text service: what each platform's text file defines, both all
// of it. Nothing but the text service includes this header.

#include "runtime/text.h"

namespace text_platform {
/// The platform's upper-case mapping of one code unit other than 0.
char16_t upper(char16_t unit);
/// The platform's lower-case mapping of one code unit other than 0.
char16_t lower(char16_t unit);
/// A name's bytes as the file system holds it (exact_name_hex).
std::string exact_bytes(std::u16string_view name);
} // namespace text_platform
