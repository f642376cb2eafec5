#include "runtime/console_platform.h"
#include "runtime/terminal_text.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <tlhelp32.h>

namespace {

HANDLE input_handle = nullptr;
HANDLE output_handle = nullptr;
bool output_is_console = false;
bool colours_wanted = true;

void write_output(std::u16string_view piece) {
  // A console takes UTF-16 as it is; a file or pipe (on which WriteConsoleW would fail)
  // gets the same text as UTF-8 in one WriteFile, without a byte-order mark. Should a
  // console refuse the write, the text still goes out, as UTF-8.
  DWORD written = 0;
  text shown;
  if (output_is_console) {
    shown = terminal_safe(piece);
    if (WriteConsoleW(output_handle, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr))
      return;
    piece = shown;
  }
  if (piece.empty())
    return;
  int size = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(piece.data()),
                                 static_cast<int>(piece.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(piece.data()), static_cast<int>(piece.size()),
                      bytes.data(), size, nullptr, nullptr);
  WriteFile(output_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The snapshot's entry for a process id, searched from the start: the snapshot lists the
// processes in no useful order. False when the process is not in it.
bool find_process(HANDLE snapshot, DWORD process_id, PROCESSENTRY32W &entry) {
  entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == process_id)
      return true;
  return false;
}

// Declines every console event (Ctrl+C, Ctrl+Break, closing the window, log-off,
// shut-down), so the platform's default handling ends the process at once.
BOOL WINAPI control_handler(DWORD) { return FALSE; }

} // namespace

bool console_platform::output_is_terminal() { return output_is_console; }

bool console_platform::input_is_console() {
  DWORD events = 0;
  return GetNumberOfConsoleInputEvents(input_handle, &events) != 0;
}

text console_platform::parent_image_name() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return {};
  PROCESSENTRY32W entry;
  text name;
  if (find_process(snapshot, GetCurrentProcessId(), entry) &&
      find_process(snapshot, entry.th32ParentProcessID, entry))
    name = reinterpret_cast<const char16_t *>(entry.szExeFile);
  CloseHandle(snapshot);
  return name;
}

void console_platform::open() {
  input_handle = GetStdHandle(STD_INPUT_HANDLE);
  output_handle = GetStdHandle(STD_OUTPUT_HANDLE);
  // The handle's kind never changes during the run: ask once, not on every line.
  DWORD mode = 0;
  output_is_console = GetConsoleMode(output_handle, &mode) != 0;
  // The NO_COLOR convention: set to anything but the empty text, no colour at all.
  wchar_t no_color[2] = {};
  colours_wanted = GetEnvironmentVariableW(L"NO_COLOR", no_color, 2) == 0;
  SetConsoleCtrlHandler(control_handler, TRUE);
}

void console_platform::write(std::u16string_view piece, bool line_end) {
  if (!line_end) {
    write_output(piece);
    return;
  }
  text whole(piece);
  whole += u"\r\n";
  write_output(whole);
  FlushFileBuffers(output_handle);
}

void console_platform::colours(int foreground, int background) {
  if (!colours_wanted)
    return;
  SetConsoleTextAttribute(output_handle, static_cast<WORD>(background * 16 + foreground));
}

text console_platform::poll() {
  DWORD waiting = 0;
  if (!GetNumberOfConsoleInputEvents(input_handle, &waiting) || waiting == 0)
    return {};
  for (DWORD k = 0; k < waiting; ++k) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input_handle, &record, 1, &read) || read != 1)
      continue;
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown)
      continue;
    return console_key(record.Event.KeyEvent.wVirtualKeyCode,
                       static_cast<char16_t>(record.Event.KeyEvent.uChar.UnicodeChar));
  }
  return {};
}

void console_platform::discard_typed() {
  if (!console_platform::input_is_console())
    return;
  // Wine's terminal console moves what was typed into the console's queue only once someone
  // waits on the input, and then takes its time: over 100 ms when its server was running
  // already. So the first wait is long, and each one after discards what came in meanwhile,
  // until nothing more arrives.
  constexpr DWORD first_wait_ms = 400;
  constexpr DWORD next_wait_ms = 100;
  FlushConsoleInputBuffer(input_handle);
  for (DWORD wait = first_wait_ms; WaitForSingleObject(input_handle, wait) == WAIT_OBJECT_0;
       wait = next_wait_ms)
    FlushConsoleInputBuffer(input_handle);
}

void console_platform::drop_pending() {
  if (console_platform::input_is_console())
    FlushConsoleInputBuffer(input_handle);
}

text console_platform::wait() {
  if (!console_platform::input_is_console()) {
    unsigned char byte = 0;
    DWORD got = 0;
    if (!ReadFile(input_handle, &byte, 1, &got, nullptr) || got != 1 || byte == 0x1B)
      return text(1, u'\x1b');
    return text(1, static_cast<char16_t>(byte));
  }
  // The console input handle is signalled while events wait: sleep on it between polls
  // instead of spinning.
  for (;;) {
    text key = poll();
    if (!key.empty())
      return key;
    if (WaitForSingleObject(input_handle, INFINITE) == WAIT_FAILED)
      return text(1, u'\x1b');
  }
}

void console_platform::end(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }
