// The terminal key decoder on any bytes: it always makes progress and never reads past
// what it was given, and a lone Esc is the only way to U+001B.
#include "runtime/console.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  while (!bytes.empty()) {
    std::size_t used = 0;
    text key = decode_key(bytes, used);
    if (used == 0 || used > bytes.size() || key.size() > 2)
      std::abort();
    if (key == u"\x1b" && (used != 1 || bytes[0] != '\x1b'))
      std::abort();
    bytes.remove_prefix(used);
  }
  return 0;
}
