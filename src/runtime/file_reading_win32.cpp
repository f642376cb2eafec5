#include "runtime/file_reading_platform.h"
#include "runtime/listing.h"

#include <windows.h>

namespace {

HANDLE open_shared(const text &path, DWORD access) {
  // Every kind of sharing: a camera app or a copy running meanwhile is never locked out.
  return CreateFileW(reinterpret_cast<const wchar_t *>(path.c_str()), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

open_outcome file_reading_platform::open(std::u16string_view path, readable_file &file, file_failure &why) {
  text name = platform_path(path);
  // With the right to write attributes, the handle can hold the access time as it is (a
  // write to a FAT card's folder otherwise); a read-only card or file refuses that right,
  // and is then read without it.
  HANDLE handle = open_shared(name, GENERIC_READ | FILE_WRITE_ATTRIBUTES);
  if (handle != INVALID_HANDLE_VALUE) {
    FILETIME keep = {0xFFFFFFFF, 0xFFFFFFFF};
    SetFileTime(handle, nullptr, &keep, nullptr);
  } else {
    handle = open_shared(name, GENERIC_READ);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    why = failure_of_system_error(error);
    return error == ERROR_FILE_NOT_FOUND ? open_outcome::not_regular : open_outcome::failed;
  }
  LARGE_INTEGER size;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
    CloseHandle(handle);
    return open_outcome::not_regular;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  file.size = static_cast<std::uint64_t>(size.QuadPart);
  return open_outcome::opened;
}

std::int64_t file_reading_platform::read(const readable_file &file, std::uint64_t offset, unsigned char *into,
                                         std::size_t size) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the neutral record keeps the handle as a number.
  if (!ReadFile(reinterpret_cast<HANDLE>(file.handle), into, static_cast<DWORD>(size), &got, &at))
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  return got;
}

void file_reading_platform::close(std::intptr_t handle) {
  CloseHandle(reinterpret_cast<HANDLE>(handle)); // NOLINT(performance-no-int-to-ptr): as above
}
