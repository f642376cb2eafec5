#pragma once

#include "runtime/failures.h"
#include "runtime/text.h"

#include <cstdint>

// Directory listings and renaming. A listing is one open enumeration of one directory,
// named by a listing number the caller picks (0 or more) or by the listing handle that
// open_listing(-1, ...) hands out. Entries come in the platform's order, "." and ".."
// included, nothing filtered or sorted.
//
// Windows: FindFirstFileW/FindNextFileW and MoveFileW. POSIX: opendir/readdir, one stat
// per entry (following links, so a link to a directory is a directory), and a rename
// that never replaces (renameat2 with RENAME_NOREPLACE, then link and unlink, then a
// check and a rename under a lock on the folder).

/// What entry_type tells of an entry.
enum class entry_kind : int {
  none = 0,     ///< nothing is open under the listing
  file = 1,     ///< anything that is not a directory
  directory = 2 ///< a directory, or a link to one
};

/// Which file time of an entry is read; any other value reads the creation time.
enum class time_selector : std::int32_t {
  creation = 0, ///< POSIX: status change (Linux), birth time (macOS)
  last_access = 1,
  last_write = 2
};

/// open_listing's request for a fresh listing handle instead of a numbered slot.
constexpr std::int64_t new_listing_handle = -1;

/// The separator that joins a directory and a name: "\" on Windows, "/" on POSIX.
extern const char16_t path_separator;

/// directory + separator + name, with no check, so a trailing separator is doubled (but
/// for a Windows verbatim path, "\\?\..."). An empty directory means the current one: the
/// name alone is its path.
text join_path(std::u16string_view directory, std::u16string_view name);

/// Opens a listing of the directory (empty: the current one) with the pattern ("*", or
/// empty for every entry). A number reuses that slot, closing what was open there; -1
/// asks for a new handle. Returns non-zero on success (for -1 the handle), 0 when the
/// directory cannot be listed. A directory in which nothing matches opens with no entry.
std::int64_t open_listing(std::int64_t listing, std::u16string_view directory, std::u16string_view pattern);

/// Makes the next entry current; false at the end, on an error, or when nothing is open.
bool next_entry(std::int64_t listing);

/// The current entry's name; the empty text when nothing is open.
text entry_name(std::int64_t listing);

/// entry_kind::directory for a directory (or a link to one), entry_kind::file for
/// anything else, entry_kind::none when nothing is open.
entry_kind entry_type(std::int64_t listing);

/// Whether the current entry is a link (POSIX symbolic link; Windows symbolic link or
/// junction), whatever it points to. False when nothing is open.
bool entry_is_link(std::int64_t listing);

/// Whether the current entry is a regular file, or a link to one: not a directory, FIFO,
/// device or socket, nor a link that leads nowhere. False when nothing is open.
bool entry_is_regular(std::int64_t listing);

/// Ends the listing's enumeration; harmless when nothing is open.
void close_listing(std::int64_t listing);

/// Closes every listing still open: the numbered ones, then the handle listings.
void close_all_listings();

/// The form in which the platform opens a path the user gave. Windows: the full "\\?\"
/// form, which keeps a name ending in a dot or a space as it is (a folder written by
/// another system) and lifts the 260-character limit; the path as typed is made full by
/// the system's usual rules first. POSIX: the path itself.
text platform_path(std::u16string_view path);

/// Renames a file without ever replacing an existing entry: when new_path exists the
/// rename fails and both stay as they were. file_failure::none on success. Where the file
/// system has no atomic way (FAT and exFAT through FUSE), the check and the rename are
/// made under an exclusive lock on the folder, so a second chaptersort can never slip in
/// between; a program that renames blindly in that instant is not held off. Windows: a
/// rename counts once the old name no longer names the file (checked by identity, so a
/// second file whose name differs only in letter case is not taken for it).
file_failure rename_without_replacing(std::u16string_view existing_path, std::u16string_view new_path);

/// rename_without_replacing, true on success.
bool rename_file(std::u16string_view existing_path, std::u16string_view new_path);

/// Whether two names are links of one regular file (same device and inode; same volume
/// serial and file index), with at least two links. False when either cannot be read.
bool same_file(std::u16string_view first_name, std::u16string_view second_name);

/// Removes the name second_name of a file when kept_name names that same file too
/// (same_file) and is not second_name itself: a name goes, the file stays. False, with
/// nothing changed, in every other case.
bool remove_second_name(std::u16string_view second_name, std::u16string_view kept_name);

/// Identifies a file or a directory on its volume (device and inode; volume serial and file
/// index).
struct file_identity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  bool operator==(const file_identity &) const = default;
  /// An order, so that identities can be kept in a set.
  bool operator<(const file_identity &other) const {
    return volume != other.volume ? volume < other.volume : file < other.file;
  }
};

/// The identity of the directory an open listing enumerates; false when it is unknown.
bool listing_identity(std::int64_t listing, file_identity &identity);

/// What an entry is by its name alone, a link not followed.
enum class file_kind : std::uint8_t {
  regular,   ///< a regular file
  directory, ///< a directory
  link,      ///< a symbolic link or junction, whatever it leads to
  other      ///< a FIFO, a device, a socket
};

/// What a listing tells of its current entry, for telling later whether the name still
/// holds that entry: its kind, its identity where the file system keeps identities stable,
/// its size and last-write time where the listing has them.
struct entry_facts {
  file_kind kind = file_kind::other;
  bool identified = false; ///< identity is the entry's, and stays with it
  file_identity identity;
  bool timed = false; ///< size and write_ticks are the entry's
  std::uint64_t size = 0;
  std::int64_t write_ticks = 0; ///< 100 ns ticks since 1601-01-01 UTC
  bool operator==(const entry_facts &) const = default;
};

/// The facts of the current entry. POSIX: the inode readdir gives, on the folder's device,
/// except on FAT, exFAT and FUSE file systems, whose numbers may follow a file's directory
/// slot or differ between a listing and a status call; size and time only with_times (one
/// stat). Windows: the listing gives no file index, but always the size and time. False
/// when nothing is open.
bool current_entry_facts(std::int64_t listing, bool with_times, entry_facts &facts);

/// What a name holds now, against what its listing found.
enum class name_holds : std::uint8_t {
  as_listed, ///< the same kind; the same identity where one was given, else the same size and
             ///< last-write time where they were given (for a link, its kind and identity alone)
  nothing,   ///< nothing, or nothing that can be asked about
  another    ///< something else: another file, a folder
};

/// What the name holds now, against the facts a listing gave of it. One status call, a link
/// not followed.
name_holds check_listed(std::u16string_view path, const entry_facts &listed);

/// The current entry's file time (selector 0 creation or, on POSIX, status change; 1 last
/// access; 2 last write; others as 0) in 100 ns ticks since 1601-01-01 UTC. False when
/// nothing is open or the time cannot be read.
bool entry_file_time(std::int64_t listing, time_selector selector, std::int64_t &ticks);

/// A file's time by its path, as entry_file_time gives it for a listed entry (a link: what
/// it points to). False when the file is not there or its time cannot be read.
bool file_time(std::u16string_view path, time_selector selector, std::int64_t &ticks);

/// Test hook, POSIX only: 1 makes rename_file act as on a file system that refuses
/// RENAME_NOREPLACE (link and unlink), 2 as on one without links either; 0 restores.
void force_rename_fallback(int level);
