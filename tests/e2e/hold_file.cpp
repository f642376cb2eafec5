// Holds a file open without sharing, as a program writing it does, until its standard input
// ends: the Windows build's tests of a chapter that cannot be read.
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv) {
  if (argc != 2)
    return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
