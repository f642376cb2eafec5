// Built as explorer.exe for the terminal suite: it starts the command line it is given
// (everything after its own name) as its child on its own console, waits for it and
// exits with the child's exit code, so that the child sees explorer.exe as its parent,
// as a program started by a double-click does.
#include <windows.h>

int main() {
  wchar_t *line = GetCommandLineW();
  // Skip the stand-in's own name, quoted or not, and the spaces after it.
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"')
      ++line;
    if (*line == L'"')
      ++line;
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t')
      ++line;
  }
  while (*line == L' ' || *line == L'\t')
    ++line;
  if (*line == L'\0')
    return 2;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  // The line is writable (CreateProcessW may change it): it is the process's own copy.
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child))
    return 3;
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD exit_code = 1;
  GetExitCodeProcess(child.hProcess, &exit_code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return static_cast<int>(exit_code);
}
