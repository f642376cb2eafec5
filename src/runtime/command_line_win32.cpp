#include "runtime/command_line_platform.h"

#include <windows.h>

void command_line_platform::record(int, char **) {}

const std::vector<text> &command_line_platform::command_tokens() {
  // Split by the program's own rules, not CommandLineToArgvW, whose backslash rules differ.
  static const std::vector<text> tokens = [] {
    const wchar_t *line = GetCommandLineW();
    return split_command_line(line ? std::u16string_view(reinterpret_cast<const char16_t *>(line))
                                   : std::u16string_view());
  }();
  return tokens;
}

text command_line_platform::program_path() {
  // Room for 260 units as the platform's classic path limit; a longer path comes back cut
  // short, which only the file part could notice.
  wchar_t buffer[260] = {};
  DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 260);
  if (length >= 260)
    length = 259;
  return text(reinterpret_cast<const char16_t *>(buffer), length);
}
