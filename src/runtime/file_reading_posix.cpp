#include "runtime/file_reading_platform.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

open_outcome file_reading_platform::open(std::u16string_view path, readable_file &file, file_failure &why) {
  std::string bytes = encode_name(path);
  // O_NOATIME keeps the access time, and so the card's folder, as it was; it is allowed only
  // on the user's own files. O_NONBLOCK: should the name be a FIFO after all, the open does
  // not wait, and the check below refuses it.
  int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
#ifdef O_NOATIME
  int fd = ::open(bytes.c_str(), flags | O_NOATIME);
  if (fd < 0 && errno == EPERM)
    fd = ::open(bytes.c_str(), flags);
#else
  int fd = ::open(bytes.c_str(), flags);
#endif
  if (fd < 0) {
    why = failure_of_system_error(static_cast<unsigned long>(errno));
    return errno == ENOENT || errno == ELOOP ? open_outcome::not_regular : open_outcome::failed;
  }
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return open_outcome::not_regular;
  }
  file.handle = fd;
  file.size = static_cast<std::uint64_t>(status.st_size);
  return open_outcome::opened;
}

std::int64_t file_reading_platform::read(const readable_file &file, std::uint64_t offset, unsigned char *into,
                                         std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    ssize_t now =
        pread(static_cast<int>(file.handle), into + got, size - got, static_cast<off_t>(offset + got));
    if (now < 0 && errno == EINTR)
      continue;
    if (now < 0)
      return -1;
    if (now == 0)
      break;
    got += static_cast<std::size_t>(now);
  }
  return static_cast<std::int64_t>(got);
}

void file_reading_platform::close(std::intptr_t handle) { ::close(static_cast<int>(handle)); }
