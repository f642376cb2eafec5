// The terminal key decoder on any bytes: it always makes progress and never reads past
// what it was given, a lone Esc is the only way to U+001B, and a key it calls complete
// stays the same whatever bytes follow.
#include "runtime/console_platform.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  while (!bytes.empty()) {
    console_platform::decoded_key decoded = console_platform::decode_key(bytes);
    if (decoded.used == 0 || decoded.used > bytes.size() || decoded.key.size() > 2)
      std::abort();
    if (decoded.key == u"\x1b" && (decoded.used != 1 || bytes[0] != '\x1b'))
      std::abort();
    if (decoded.complete) {
      console_platform::decoded_key alone = console_platform::decode_key(bytes.substr(0, decoded.used));
      if (alone.key != decoded.key || alone.used != decoded.used)
        std::abort();
    }
    bytes.remove_prefix(decoded.used);
  }
  return 0;
}
