#include "runtime/listing_platform.h"

#include <windows.h>

const char16_t path_separator = u'\\';

struct listing_detail::enumeration {
  HANDLE find_handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW find_data = {};
  text directory;
};

namespace {

const wchar_t *wide(const text &value) { return reinterpret_cast<const wchar_t *>(value.c_str()); }

// The folder a listing searches: the directory with one backslash after it, so that "C:"
// is the root of C (as the search "C:\*" lists it), not the current folder of drive C.
text search_folder(std::u16string_view directory) {
  text folder(directory);
  if (!folder.empty() && folder.back() != u'\\')
    folder += u'\\';
  return folder;
}

} // namespace

listing_detail::start_result listing_detail::start(enumeration *&started, std::u16string_view directory,
                                                   std::u16string_view pattern) {
  // Only the backslash counts as a separator here: "C:/Clips/" is searched as
  // "C:/Clips/\*", which the platform accepts; "C:" becomes "C:\*", the root of C.
  text search = search_folder(directory);
  search += pattern.empty() ? std::u16string_view(u"*.*") : pattern;
  auto *listing = new enumeration;
  listing->directory = text(directory);
  listing->find_handle = FindFirstFileW(wide(search), &listing->find_data);
  if (listing->find_handle != INVALID_HANDLE_VALUE) {
    started = listing;
    return start_result::found;
  }
  DWORD error = GetLastError();
  delete listing;
  return error == ERROR_FILE_NOT_FOUND ? start_result::nothing_matched : start_result::failed;
}

bool listing_detail::advance(enumeration &listing) {
  return FindNextFileW(listing.find_handle, &listing.find_data) != 0;
}

void listing_detail::finish(enumeration *listing) {
  if (listing->find_handle != INVALID_HANDLE_VALUE)
    FindClose(listing->find_handle);
  delete listing;
}

text listing_detail::current_name(const enumeration &listing) {
  return text(reinterpret_cast<const char16_t *>(listing.find_data.cFileName));
}

int listing_detail::current_type(enumeration &listing) {
  return (listing.find_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? entry_kind::directory
                                                                              : entry_kind::file;
}

bool listing_detail::current_is_link(enumeration &listing) {
  // Only symbolic links and junctions lead elsewhere; other reparse points (cloud
  // placeholders, deduplicated files) are the entry itself. The tag of a reparse point
  // is in dwReserved0; wine leaves it 0 for the POSIX symbolic links it shows as
  // reparse points, and no real tag is 0.
  if ((listing.find_data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return false;
  DWORD tag = listing.find_data.dwReserved0;
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
}

bool listing_detail::current_file_time(enumeration &listing, int selector, std::int64_t &ticks) {
  const FILETIME &time = selector == 1   ? listing.find_data.ftLastAccessTime
                         : selector == 2 ? listing.find_data.ftLastWriteTime
                                         : listing.find_data.ftCreationTime;
  ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return true;
}

bool listing_detail::verbatim(std::u16string_view directory) { return directory.starts_with(u"\\\\?\\"); }

bool listing_detail::identity(enumeration &listing, directory_identity &identity) {
  // A directory handle (backup semantics) gives the volume serial and file index that
  // name the directory whatever path, link or junction led to it.
  // The folder the listing searches, not the directory as typed: "E:" alone would open
  // the current folder of drive E, and that folder, met later in the walk, would count as
  // listed already.
  text path = listing.directory.empty() ? text(u".") : search_folder(listing.directory);
  HANDLE handle = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  BY_HANDLE_FILE_INFORMATION information;
  bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  if (!known)
    return false;
  identity.volume = information.dwVolumeSerialNumber;
  identity.file = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

void force_rename_fallback(int) {}

bool rename_file(std::u16string_view existing_path, std::u16string_view new_path) {
  // MoveFileW without MOVEFILE_REPLACE_EXISTING fails when the new path exists. Wine turns
  // it into rename(2), which, when both paths are links of one file, reports success and
  // leaves both in place: a move is done only once the old name is gone.
  text from(existing_path);
  text to(new_path);
  return MoveFileW(wide(from), wide(to)) != 0 && GetFileAttributesW(wide(from)) == INVALID_FILE_ATTRIBUTES;
}

namespace {

bool file_information(const text &path, BY_HANDLE_FILE_INFORMATION &information) {
  HANDLE handle = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  return known;
}

} // namespace

bool remove_second_name(std::u16string_view second_name, std::u16string_view kept_name) {
  text second(second_name);
  BY_HANDLE_FILE_INFORMATION extra, other;
  // Two links of one file: removing one leaves the file under the other.
  if (!file_information(second, extra) || !file_information(text(kept_name), other) ||
      (extra.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      extra.dwVolumeSerialNumber != other.dwVolumeSerialNumber ||
      extra.nFileIndexHigh != other.nFileIndexHigh || extra.nFileIndexLow != other.nFileIndexLow ||
      extra.nNumberOfLinks < 2)
    return false;
  return DeleteFileW(wide(second)) != 0;
}
