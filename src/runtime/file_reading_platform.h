#pragma once

// The contract beneath the file-reading service: what each platform's file-reading file
// defines, both all of it. Nothing but the file-reading service includes this header.

#include "runtime/file_reading.h"

namespace file_reading_platform {
/// Opens a file for reading as open_for_reading says.
open_outcome open(std::u16string_view path, readable_file &file, file_failure &why);
/// Reads up to size bytes at the offset of an open file: how many, -1 on an error.
std::int64_t read(const readable_file &file, std::uint64_t offset, unsigned char *into, std::size_t size);
/// Closes an open file's handle.
void close(std::intptr_t handle);
} // namespace file_reading_platform
