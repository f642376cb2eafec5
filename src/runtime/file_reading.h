#pragma once

#include "runtime/text.h"

#include <cstddef>
#include <cstdint>

// Reading parts of a file at given offsets, without locking anyone else out: other
// programs may go on reading, writing, renaming and deleting the file meanwhile.
//
// POSIX: open (O_RDONLY) and pread. Windows: CreateFileW sharing read, write and delete,
// and ReadFile at an OVERLAPPED offset.

/// A file open for reading.
struct readable_file {
  std::intptr_t handle = -1;
  std::uint64_t size = 0; ///< its size when it was opened
};

/// Opens a file for reading; false when it cannot be opened (or is not a regular file).
bool open_for_reading(std::u16string_view path, readable_file &file);

/// Reads up to size bytes at the offset; returns how many it read (fewer at the end of the
/// file, 0 on an error).
std::size_t read_at(const readable_file &file, std::uint64_t offset, unsigned char *into, std::size_t size);

/// Closes the file; harmless on one that was not opened.
void close_file(readable_file &file);
