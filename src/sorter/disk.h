#pragma once

#include "runtime/dates.h"
#include "runtime/file_reading.h"
#include "runtime/listing.h"
#include "runtime/text.h"
#include "sorter/records.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The one way from the sorter to the disk. The path check, the scan, the planning (with
// -t's and -c's header reads) and the rename passes reach files only through a disk: the
// program hands them real_disk(), over the runtime's listing, reading and renaming
// services; tests hand them a tree in memory that fails, races and is cut on demand.

/// One entry of a folder, as a listing tells it.
struct folder_entry {
  text name;
  found_kind kind = found_kind::file;
  date_value modified = 0; ///< the last-write time, when asked for (-1: none that is valid)
  entry_facts facts;       ///< what the name holds, to be checked before it is moved
};

/// A folder's entries in the platform's order, "." and ".." left out.
struct folder_listing {
  bool identified = false; ///< whether identity could be read, when asked for
  file_identity identity;
  std::vector<folder_entry> entries;
};

/// What the sorter needs of a disk.
class disk {
public:
  virtual ~disk() = default;
  /// The form in which this disk opens a path the user gave (platform_path), to which the
  /// names of its entries are joined.
  virtual text opened_form(std::u16string_view path) = 0;
  /// Whether a folder can be listed at all: the path check before anything else.
  virtual bool can_list(std::u16string_view path) = 0;
  /// Lists a folder; the last-write times and the folder's identity only when asked for,
  /// since each costs a call to the system. False when the folder cannot be listed.
  virtual bool list_folder(std::u16string_view path, bool with_times, bool with_identity,
                           folder_listing &listing) = 0;
  /// A file's last-write time as a date (file_date), for a name whose date is wanted only
  /// after the listing: -1 when it has none.
  virtual date_value last_write(std::u16string_view path) = 0;
  /// Opens a regular file for reading (open_for_reading).
  virtual open_outcome open_file(std::u16string_view path, readable_file &file, file_failure &why) = 0;
  /// Reads from an open file (read_at): bytes read, or -1 on an error.
  virtual std::int64_t read_file(const readable_file &file, std::uint64_t offset, unsigned char *into,
                                 std::size_t size) = 0;
  /// Closes a file opened by open_file.
  virtual void close_file(readable_file &file) = 0;
  /// What a name holds now, against what its listing found (check_listed): asked right
  /// before the name is moved or removed.
  virtual name_holds check_listed(std::u16string_view path, const entry_facts &listed) = 0;
  /// Renames without ever replacing (rename_without_replacing).
  virtual file_failure rename(std::u16string_view from, std::u16string_view to) = 0;
  /// Removes a second name of one file, never a file (remove_second_name).
  virtual bool remove_second_name(std::u16string_view second, std::u16string_view kept) = 0;
  /// Whether two names are links of one file (same_file).
  virtual bool same_file(std::u16string_view first, std::u16string_view second) = 0;
};

/// The disk the program runs on.
disk &real_disk();
