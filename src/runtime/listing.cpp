#include "runtime/listing_platform.h"

#include <list>
#include <vector>

namespace {

// A listing is open while `open` is set; an open listing without an enumeration is one
// in which nothing matched, and yields no entry.
struct listing_record {
  bool open = false;
  listing_platform::enumeration *enumeration = nullptr;
  bool fetch_next = false; // the entry found by the open has been delivered
};

struct handle_record {
  std::int64_t handle;
  listing_record record;
};

// Created by the first open_listing and kept until the process ends.
bool table_exists = false;
std::vector<listing_record> slots;
std::list<handle_record> handle_listings; // newest first
// Handles count down from -2: never -1 (the request) and never a listing number.
std::int64_t next_handle = -2;

listing_record *find_listing(std::int64_t listing) {
  if (listing >= 0)
    return static_cast<std::uint64_t>(listing) < slots.size() ? &slots[static_cast<std::size_t>(listing)]
                                                              : nullptr;
  for (handle_record &entry : handle_listings)
    if (entry.handle == listing)
      return &entry.record;
  return nullptr;
}

listing_record *open_record(std::int64_t listing) {
  listing_record *record = find_listing(listing);
  return record && record->open ? record : nullptr;
}

void clear(listing_record &record) {
  if (record.enumeration)
    listing_platform::finish(record.enumeration);
  record = listing_record();
}

} // namespace

text join_path(std::u16string_view directory, std::u16string_view name) {
  // The joining of a directory and a name never checks either. An empty directory is the
  // current one: a lone separator in front would name an entry at the root instead. A
  // verbatim path ("\\?\E:\DCIM\") keeps its trailing separator single, since the
  // platform would not collapse a doubled one there.
  text full;
  full.reserve(directory.size() + 1 + name.size());
  full += directory;
  if (!directory.empty() && !(directory.back() == path_separator && listing_platform::verbatim(directory)))
    full += path_separator;
  full += name;
  return full;
}

std::int64_t open_listing(std::int64_t listing, std::u16string_view directory, std::u16string_view pattern) {
  if (listing < new_listing_handle)
    return 0;
  if (!table_exists) {
    slots.resize(16);
    table_exists = true;
  }
  listing_record *record = nullptr;
  if (listing != new_listing_handle) {
    if (static_cast<std::uint64_t>(listing) >= slots.size())
      slots.resize(static_cast<std::size_t>(listing) + 16);
    record = &slots[static_cast<std::size_t>(listing)];
    clear(*record); // a number opened again ends its old enumeration first
  }
  listing_platform::enumeration *started = nullptr;
  listing_platform::start_result result = listing_platform::start(started, directory, pattern);
  if (result == listing_platform::start_result::failed)
    return 0;
  // A handle gets its record only once its listing has started.
  std::int64_t handle = 1;
  if (listing == new_listing_handle) {
    handle = next_handle--;
    handle_listings.push_front({handle, listing_record()});
    record = &handle_listings.front().record;
  }
  *record = {true, started, result == listing_platform::start_result::nothing_matched};
  return handle;
}

bool next_entry(std::int64_t listing) {
  listing_record *record = open_record(listing);
  if (!record || !record->enumeration)
    return false;
  if (!record->fetch_next) {
    record->fetch_next = true;
    return true;
  }
  return listing_platform::advance(*record->enumeration);
}

text entry_name(std::int64_t listing) {
  listing_record *record = open_record(listing);
  return record && record->enumeration ? listing_platform::current_name(*record->enumeration) : text();
}

entry_kind entry_type(std::int64_t listing) {
  listing_record *record = open_record(listing);
  if (!record)
    return entry_kind::none;
  return record->enumeration ? listing_platform::current_type(*record->enumeration) : entry_kind::file;
}

bool entry_is_link(std::int64_t listing) {
  listing_record *record = open_record(listing);
  return record && record->enumeration && listing_platform::current_is_link(*record->enumeration);
}

bool entry_is_regular(std::int64_t listing) {
  listing_record *record = open_record(listing);
  return record && record->enumeration && listing_platform::current_is_regular(*record->enumeration);
}

text platform_path(std::u16string_view path) { return listing_platform::full_path(path); }

file_failure failure_of_system_error(unsigned long code) { return listing_platform::failure_of(code); }

file_failure rename_without_replacing(std::u16string_view existing_path, std::u16string_view new_path) {
  return listing_platform::rename(existing_path, new_path);
}

bool same_file(std::u16string_view first_name, std::u16string_view second_name) {
  return listing_platform::same_file(first_name, second_name);
}

bool remove_second_name(std::u16string_view second_name, std::u16string_view kept_name) {
  // Two links of one file: removing one leaves the file under the other.
  return second_name != kept_name && same_file(second_name, kept_name) &&
         listing_platform::remove_name(second_name);
}

name_holds check_listed(std::u16string_view path, const entry_facts &listed) {
  return listing_platform::check_listed(path, listed);
}

bool file_time(std::u16string_view path, time_selector selector, std::int64_t &ticks) {
  return listing_platform::file_time(path, selector, ticks);
}

bool rename_file(std::u16string_view existing_path, std::u16string_view new_path) {
  return rename_without_replacing(existing_path, new_path) == file_failure::none;
}

bool entry_file_time(std::int64_t listing, time_selector selector, std::int64_t &ticks) {
  listing_record *record = open_record(listing);
  return record && record->enumeration &&
         listing_platform::current_file_time(*record->enumeration, selector, ticks);
}

bool current_entry_facts(std::int64_t listing, bool with_times, entry_facts &facts) {
  listing_record *record = open_record(listing);
  return record && record->enumeration && listing_platform::facts(*record->enumeration, with_times, facts);
}

bool listing_identity(std::int64_t listing, file_identity &identity) {
  listing_record *record = open_record(listing);
  return record && record->enumeration && listing_platform::identity(*record->enumeration, identity);
}

void close_listing(std::int64_t listing) {
  // A handle's record goes with it: a run opens one for each folder it walks.
  handle_listings.remove_if([listing](handle_record &entry) {
    if (entry.handle != listing)
      return false;
    clear(entry.record);
    return true;
  });
  if (listing_record *record = listing >= 0 ? open_record(listing) : nullptr)
    clear(*record);
}

void close_all_listings() {
  if (!table_exists)
    return;
  for (listing_record &record : slots)
    if (record.open)
      clear(record);
  for (handle_record &entry : handle_listings)
    clear(entry.record);
  handle_listings.clear();
}
