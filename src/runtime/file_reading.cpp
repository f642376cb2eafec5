#include "runtime/file_reading_platform.h"

open_outcome open_for_reading(std::u16string_view path, readable_file &file, file_failure &why) {
  return file_reading_platform::open(path, file, why);
}

std::int64_t read_at(const readable_file &file, std::uint64_t offset, unsigned char *into, std::size_t size) {
  return file_reading_platform::read(file, offset, into, size);
}

void close_file(readable_file &file) {
  if (file.handle != -1)
    file_reading_platform::close(file.handle);
  file.handle = -1;
}
