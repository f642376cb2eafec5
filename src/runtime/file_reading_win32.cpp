#include "runtime/file_reading.h"

#include <windows.h>

bool open_for_reading(std::u16string_view path, readable_file &file) {
  text name(path);
  // Every kind of sharing: a camera app or a copy running meanwhile is never locked out.
  HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(name.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  LARGE_INTEGER size;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
    CloseHandle(handle);
    return false;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  file.size = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

std::size_t read_at(const readable_file &file, std::uint64_t offset, unsigned char *into, std::size_t size) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the neutral record keeps the handle as a number.
  if (!ReadFile(reinterpret_cast<HANDLE>(file.handle), into, static_cast<DWORD>(size), &got, &at))
    return 0;
  return got;
}

void close_file(readable_file &file) {
  if (file.handle != -1)
    CloseHandle(reinterpret_cast<HANDLE>(file.handle)); // NOLINT(performance-no-int-to-ptr): as above
  file.handle = -1;
}
