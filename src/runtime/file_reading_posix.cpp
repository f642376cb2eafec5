#include "runtime/file_reading.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

bool open_for_reading(std::u16string_view path, readable_file &file) {
  std::string bytes = encode_name(path);
  // O_NONBLOCK: a name that is a FIFO must not hang the run; such a file is refused below.
  int fd = open(bytes.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return false;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return false;
  }
  file.handle = fd;
  file.size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::size_t read_at(const readable_file &file, std::uint64_t offset, unsigned char *into, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    ssize_t now =
        pread(static_cast<int>(file.handle), into + got, size - got, static_cast<off_t>(offset + got));
    if (now < 0 && errno == EINTR)
      continue;
    if (now <= 0)
      break;
    got += static_cast<std::size_t>(now);
  }
  return got;
}

void close_file(readable_file &file) {
  if (file.handle >= 0)
    close(static_cast<int>(file.handle));
  file.handle = -1;
}
