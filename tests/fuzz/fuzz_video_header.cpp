// The header reader of -t on any bytes: it never reads outside what it was given, never more
// than its budget, in at most the budget's count of blocks, and ends.
#include "sorter/dating.h"
#include "sorter/video_header.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  video_header header;
  read_video_header(
      size,
      [&](std::uint64_t offset, unsigned char *into, std::size_t wanted) {
        if (offset > size || wanted > size - offset)
          std::abort();
        std::memcpy(into, data + offset, wanted);
        return static_cast<std::int64_t>(wanted);
      },
      header);
  if (header.bytes_read > most_header_bytes || header.bytes_read > size || header.firmware.size() > 3 ||
      header.reads > most_header_bytes / header_block ||
      (header.zone && (*header.zone < -840 || *header.zone > 840)))
    std::abort();
  start_of(header);
  return 0;
}
