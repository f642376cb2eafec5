#pragma once

// The contract beneath the listing service: what each platform's listing file defines, both
// all of it (and path_separator): one enumeration of a directory at a time, and the calls
// on single files. Nothing but the listing service and its tests includes this header.

#include "runtime/listing.h"

namespace listing_platform {

/// One platform enumeration, owned by the listing that opened it.
struct enumeration;

enum class start_result { found, nothing_matched, failed };

/// Starts enumerating; on found, the first entry is current.
start_result start(enumeration *&started, std::u16string_view directory, std::u16string_view pattern);
/// Moves to the next entry; false at the end or on an error.
bool advance(enumeration &listing);
/// Ends the enumeration and frees it.
void finish(enumeration *listing);
/// The current entry's name.
text current_name(const enumeration &listing);
/// The current entry's type, file or directory, as entry_type gives it.
entry_kind current_type(enumeration &listing);
/// Whether the current entry is a link, as entry_is_link gives it.
bool current_is_link(enumeration &listing);
/// Whether the current entry is a regular file, as entry_is_regular gives it.
bool current_is_regular(enumeration &listing);
/// The current entry's file time, as entry_file_time gives it.
bool current_file_time(enumeration &listing, time_selector selector, std::int64_t &ticks);
/// Whether a directory is written in the platform's verbatim form (Windows "\\?\"), which
/// the platform takes as it stands: a doubled separator there is no separator but an error.
bool verbatim(std::u16string_view directory);
/// The identity of the directory being enumerated.
bool identity(enumeration &listing, file_identity &identity);
/// The current entry's facts, as current_entry_facts gives them.
bool facts(enumeration &listing, bool with_times, entry_facts &facts);

/// A file's time by its path, as file_time gives it.
bool file_time(std::u16string_view path, time_selector selector, std::int64_t &ticks);
/// What a name holds now, as check_listed gives it.
name_holds check_listed(std::u16string_view path, const entry_facts &listed);
/// A path as platform_path gives it.
text full_path(std::u16string_view path);
/// Renames as rename_without_replacing says.
file_failure rename(std::u16string_view existing_path, std::u16string_view new_path);
/// Whether two names are links of one regular file, as same_file says.
bool same_file(std::u16string_view first_name, std::u16string_view second_name);
/// Removes a name, never a directory; true when it went.
bool remove_name(std::u16string_view name);
/// The failure a system error code stands for (failure_of_system_error).
file_failure failure_of(unsigned long code);

/// For the tests of the ways a rename can go: 1 makes it act as on a file system that
/// refuses RENAME_NOREPLACE (link and unlink), 2 as on one without links either; 0
/// restores. Windows has one way, MoveFileW, and ignores it.
void force_rename_fallback(int level);

} // namespace listing_platform
