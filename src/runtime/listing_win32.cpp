#include "runtime/listing_platform.h"

#include <windows.h>

const char16_t path_separator = u'\\';

struct listing_platform::enumeration {
  HANDLE find_handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW find_data = {};
  text directory;
};

namespace {

const wchar_t *wide(const text &value) { return reinterpret_cast<const wchar_t *>(value.c_str()); }

// The folder a listing searches, with one backslash after it.
text search_folder(std::u16string_view directory) {
  text folder(directory);
  if (!folder.empty() && folder.back() != u'\\')
    folder += u'\\';
  return folder;
}

} // namespace

listing_platform::start_result listing_platform::start(enumeration *&started, std::u16string_view directory,
                                                       std::u16string_view pattern) {
  // The folder in its full form (platform_path), as the system reads the path: "C:" is the
  // root of C, "C:/Clips/" is C:\Clips. The empty directory is the current folder, which
  // the bare pattern searches.
  text folder = directory.empty() ? text() : full_path(directory);
  text search = search_folder(folder);
  search += pattern.empty() ? std::u16string_view(u"*.*") : pattern;
  auto *listing = new enumeration;
  listing->directory = folder;
  listing->find_handle = FindFirstFileW(wide(search), &listing->find_data);
  if (listing->find_handle != INVALID_HANDLE_VALUE) {
    started = listing;
    return start_result::found;
  }
  DWORD error = GetLastError();
  delete listing;
  return error == ERROR_FILE_NOT_FOUND ? start_result::nothing_matched : start_result::failed;
}

bool listing_platform::advance(enumeration &listing) {
  return FindNextFileW(listing.find_handle, &listing.find_data) != 0;
}

void listing_platform::finish(enumeration *listing) {
  if (listing->find_handle != INVALID_HANDLE_VALUE)
    FindClose(listing->find_handle);
  delete listing;
}

text listing_platform::current_name(const enumeration &listing) {
  return text(reinterpret_cast<const char16_t *>(listing.find_data.cFileName));
}

entry_kind listing_platform::current_type(enumeration &listing) {
  return (listing.find_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? entry_kind::directory
                                                                              : entry_kind::file;
}

bool listing_platform::current_is_link(enumeration &listing) {
  // Only symbolic links and junctions lead elsewhere; other reparse points (cloud
  // placeholders, deduplicated files) are the entry itself. The tag of a reparse point
  // is in dwReserved0; wine leaves it 0 for the POSIX symbolic links it shows as
  // reparse points, and no real tag is 0.
  if ((listing.find_data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return false;
  DWORD tag = listing.find_data.dwReserved0;
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == 0;
}

bool listing_platform::current_is_regular(enumeration &listing) {
  // A folder's entries are directories or files on Windows: devices and pipes live in
  // namespaces of their own.
  return (listing.find_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {

// The listing's find data and a path's attribute data hold the same three times.
template <typename times> std::int64_t ticks_of(const times &data, time_selector selector) {
  const FILETIME &time = selector == time_selector::last_access  ? data.ftLastAccessTime
                         : selector == time_selector::last_write ? data.ftLastWriteTime
                                                                 : data.ftCreationTime;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

} // namespace

bool listing_platform::current_file_time(enumeration &listing, time_selector selector, std::int64_t &ticks) {
  ticks = ticks_of(listing.find_data, selector);
  return true;
}

bool listing_platform::file_time(std::u16string_view path, time_selector selector, std::int64_t &ticks) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide(full_path(path)), GetFileExInfoStandard, &data))
    return false;
  ticks = ticks_of(data, selector);
  return true;
}

bool listing_platform::verbatim(std::u16string_view directory) { return directory.starts_with(u"\\\\?\\"); }

namespace {

// A reparse point that leads elsewhere counts as a link, as current_is_link tells it. The
// attribute data of a path carries no reparse tag: there a reparse point is taken for what
// the listing saw, since other kinds (cloud placeholders, deduplicated files) are files.
file_kind kind_of_attributes(DWORD attributes, bool leads_elsewhere) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && leads_elsewhere)
    return file_kind::link;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? file_kind::directory : file_kind::regular;
}

std::uint64_t size_of(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

} // namespace

bool listing_platform::facts(enumeration &listing, bool, entry_facts &facts) {
  // The find data holds the size and the times of every entry at no cost, but no file
  // index: asking for one would open every file.
  const WIN32_FIND_DATAW &data = listing.find_data;
  facts = {};
  facts.kind = kind_of_attributes(data.dwFileAttributes, current_is_link(listing));
  facts.timed = facts.kind == file_kind::regular;
  facts.size = size_of(data.nFileSizeHigh, data.nFileSizeLow);
  facts.write_ticks = ticks_of(data, time_selector::last_write);
  return true;
}

name_holds listing_platform::check_listed(std::u16string_view path, const entry_facts &listed) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide(full_path(path)), GetFileExInfoStandard, &data))
    return name_holds::nothing;
  bool same = kind_of_attributes(data.dwFileAttributes, listed.kind == file_kind::link) == listed.kind &&
              (!listed.timed || (size_of(data.nFileSizeHigh, data.nFileSizeLow) == listed.size &&
                                 ticks_of(data, time_selector::last_write) == listed.write_ticks));
  return same ? name_holds::as_listed : name_holds::another;
}

bool listing_platform::identity(enumeration &listing, file_identity &identity) {
  // A directory handle (backup semantics) gives the volume serial and file index that
  // name the directory whatever path, link or junction led to it.
  // The folder the listing searches in its full form, not the directory as typed: "E:"
  // alone would open the current folder of drive E, and that folder, met later in the walk,
  // would count as listed already.
  text path = listing.directory.empty() ? text(u".") : listing.directory;
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

file_failure listing_platform::failure_of(unsigned long code) {
  switch (code) {
  case ERROR_ALREADY_EXISTS:
  case ERROR_FILE_EXISTS:
    return file_failure::name_taken;
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
    return file_failure::gone;
  case ERROR_ACCESS_DENIED:
    return file_failure::no_permission;
  case ERROR_WRITE_PROTECT:
    return file_failure::read_only;
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    return file_failure::in_use;
  default:
    return file_failure::other;
  }
}

void listing_platform::force_rename_fallback(int) {}

namespace {

// The identity of the file a name stands for (volume serial, file index, links), the name
// itself and not what a link points to.
bool file_information(const text &path, BY_HANDLE_FILE_INFORMATION &information) {
  HANDLE handle =
      CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  return known;
}

bool same_identity(const BY_HANDLE_FILE_INFORMATION &first, const BY_HANDLE_FILE_INFORMATION &second) {
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace

text listing_platform::full_path(std::u16string_view path) {
  text given(path);
  if (given.empty() || listing_platform::verbatim(given) || given.starts_with(u"\\\\.\\"))
    return given;
  // "E:" alone is the root of E, as a listing searches it ("E:\*"), not E's current folder.
  if (given.size() == 2 && given[1] == u':')
    given += u'\\';
  DWORD size = GetFullPathNameW(wide(given), 0, nullptr, nullptr);
  if (size == 0)
    return given;
  text full(size, u'\0');
  DWORD written = GetFullPathNameW(wide(given), size, reinterpret_cast<wchar_t *>(full.data()), nullptr);
  if (written == 0 || written >= size)
    return given;
  full.resize(written);
  // \\server\share becomes \\?\UNC\server\share; C:\... becomes \\?\C:\...
  if (full.starts_with(u"\\\\"))
    return u"\\\\?\\UNC\\" + full.substr(2);
  return u"\\\\?\\" + full;
}

file_failure listing_platform::rename(std::u16string_view existing_path, std::u16string_view new_path) {
  // MoveFileW without MOVEFILE_REPLACE_EXISTING fails when the new path exists. Wine turns
  // it into rename(2), which, when both paths are links of one file, reports success and
  // leaves both in place: a move counts only once the old name no longer names the file.
  // That is asked by identity, not by name: in a case-sensitive folder the old name may
  // still find another file that differs from it only in letter case.
  text from = full_path(existing_path);
  text to = full_path(new_path);
  BY_HANDLE_FILE_INFORMATION before, after;
  bool known = file_information(from, before);
  if (!MoveFileW(wide(from), wide(to)))
    return failure_of(GetLastError());
  if (known ? file_information(from, after) && same_identity(before, after)
            : GetFileAttributesW(wide(from)) != INVALID_FILE_ATTRIBUTES)
    return file_failure::name_taken;
  return file_failure::none;
}

bool listing_platform::same_file(std::u16string_view first_name, std::u16string_view second_name) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return file_information(full_path(first_name), first) && file_information(full_path(second_name), second) &&
         (first.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && same_identity(first, second) &&
         first.nNumberOfLinks >= 2;
}

bool listing_platform::remove_name(std::u16string_view name) {
  return DeleteFileW(wide(full_path(name))) != 0;
}
