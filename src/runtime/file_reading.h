#pragma once

#include "runtime/failures.h"
#include "runtime/text.h"

#include <cstddef>
#include <cstdint>

// Reading parts of a file at given offsets, without locking anyone else out: other
// programs may go on reading, writing, renaming and deleting the file meanwhile. Reading
// leaves the file's access time alone where the system allows it, since on a FAT or exFAT
// card that time is a write to the card's folder.
//
// POSIX: open (O_RDONLY, O_NOATIME when the file is the user's) and pread. Windows:
// CreateFileW sharing read, write and delete, the access time held (SetFileTime with -1)
// where the handle may, and ReadFile at an OVERLAPPED offset.

/// A file open for reading.
struct readable_file {
  std::intptr_t handle = -1;
  std::uint64_t size = 0; ///< its size when it was opened
};

/// What became of an open.
enum class open_outcome {
  opened,      ///< the file is open
  not_regular, ///< a directory, FIFO, device or socket (a link: what it points to): never opened
  failed       ///< it exists but cannot be opened; why says what stands in the way
};

/// Opens a regular file for reading. A FIFO or device found under the name after all is
/// closed again at once, without waiting: callers open only what a listing found to be a
/// regular file, so that a FIFO's writer is never released and no device is touched.
open_outcome open_for_reading(std::u16string_view path, readable_file &file, file_failure &why);

/// Reads up to size bytes at the offset; returns how many it read (fewer at the end of the
/// file), or -1 on an error.
std::int64_t read_at(const readable_file &file, std::uint64_t offset, unsigned char *into, std::size_t size);

/// Closes the file; harmless on one that was not opened.
void close_file(readable_file &file);
