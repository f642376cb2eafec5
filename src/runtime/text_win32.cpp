#include "runtime/text_platform.h"

#include <windows.h>

namespace {

// CharUpperW/CharLowerW take a single character in the low word of the pointer argument
// when the high word is zero, and give the mapped character back the same way.
char16_t map_char(char16_t unit, bool upper) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the call takes the character as a pointer.
  auto *argument = reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(unit));
  LPWSTR mapped = upper ? CharUpperW(argument) : CharLowerW(argument);
  return static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(mapped) & 0xFFFF);
}

} // namespace

char16_t text_platform::upper(char16_t unit) { return map_char(unit, true); }

char16_t text_platform::lower(char16_t unit) { return map_char(unit, false); }

std::string text_platform::exact_bytes(std::u16string_view name) {
  // The units as the system keeps them, low byte first.
  std::string bytes;
  for (char16_t unit : name) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}
