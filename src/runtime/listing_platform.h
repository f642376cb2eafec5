#pragma once

// What each platform's listing file provides to listing.cpp: one enumeration of a
// directory at a time. Nothing outside the listing service includes this header.

#include "runtime/listing.h"

namespace listing_detail {

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
/// The current entry's type, 1 or 2, as entry_type gives it.
int current_type(enumeration &listing);
/// Whether the current entry is a link, as entry_is_link gives it.
bool current_is_link(enumeration &listing);
/// Whether the current entry is a regular file, as entry_is_regular gives it.
bool current_is_regular(enumeration &listing);
/// The current entry's file time, as entry_file_time gives it.
bool current_file_time(enumeration &listing, int selector, std::int64_t &ticks);
/// Whether a directory is written in the platform's verbatim form (Windows "\\?\"), which
/// the platform takes as it stands: a doubled separator there is no separator but an error.
bool verbatim(std::u16string_view directory);
/// The identity of the directory being enumerated.
bool identity(enumeration &listing, file_identity &identity);
/// The current entry's facts, as current_entry_facts gives them.
bool facts(enumeration &listing, bool with_times, entry_facts &facts);

} // namespace listing_detail
