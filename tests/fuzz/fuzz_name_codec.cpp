// File names are bytes on POSIX: decoding and encoding again gives the same bytes back.
#include "runtime/text.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  text units = decode_name(bytes);
  if (encode_name(units) != bytes)
    std::abort();
  if (units.size() > bytes.size())
    std::abort();
  return 0;
}
