#pragma once

#include "runtime/text.h"

#include <cstddef>
#include <cstdint>

// The fuzzer's bytes read as UTF-16 code units, two bytes each, low byte first.
inline text units_of(const std::uint8_t *data, std::size_t size) {
  text units;
  for (std::size_t k = 0; k + 1 < size; k += 2)
    units += static_cast<char16_t>(data[k] | (data[k + 1] << 8));
  return units;
}
