#include "runtime/listing_platform.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

const char16_t path_separator = u'/';

struct listing_platform::enumeration {
  DIR *directory = nullptr;
  std::string pattern; // empty: every entry
  const char *name = nullptr;
  ino_t inode = 0;
  unsigned char type_hint = DT_UNKNOWN; // what readdir says, when the file system says
  bool stat_done = false;
  bool stat_ok = false;
  struct stat status = {};
  bool lstat_done = false;
  bool is_link = false;
  file_kind own_kind = file_kind::other; // the entry itself, a link not followed (after lstat)
  int folder_state = 0;                  // 0 not yet asked; 1 identities stable, on folder_device; -1 not
  dev_t folder_device = 0;
};

namespace {

file_failure failure_of(int error) { return listing_platform::failure_of(static_cast<unsigned long>(error)); }

int rename_fallback = 0;

bool matches(const listing_platform::enumeration &listing, const char *name) {
  return listing.pattern.empty() || fnmatch(listing.pattern.c_str(), name, 0) == 0;
}

bool read_matching(listing_platform::enumeration &listing) {
  while (struct dirent *entry = readdir(listing.directory)) {
    if (!matches(listing, entry->d_name))
      continue;
    listing.name = entry->d_name;
    listing.inode = entry->d_ino;
    listing.type_hint = entry->d_type;
    listing.stat_done = false;
    listing.lstat_done = false;
    return true;
  }
  return false;
}

// At most one stat per entry, made when a time (or a type readdir did not give) is first
// asked for, following a link so that a link to a directory is a directory. A dangling
// link is taken as itself.
const struct stat *entry_status(listing_platform::enumeration &listing) {
  if (!listing.stat_done) {
    int fd = dirfd(listing.directory);
    listing.stat_ok = fstatat(fd, listing.name, &listing.status, 0) == 0 ||
                      fstatat(fd, listing.name, &listing.status, AT_SYMLINK_NOFOLLOW) == 0;
    listing.stat_done = true;
  }
  return listing.stat_ok ? &listing.status : nullptr;
}

// none when nothing has the name; a name that cannot be looked at (too long, a folder on
// the way that is not one) gives its own reason, not "taken".
file_failure target_state(const std::string &path) {
  struct stat status;
  if (lstat(path.c_str(), &status) == 0)
    return file_failure::name_taken;
  return errno == ENOENT ? file_failure::none : failure_of(errno);
}

// The folder a path names an entry of: everything before the last separator.
std::string folder_of(const std::string &path) {
  std::size_t separator = path.rfind('/');
  if (separator == std::string::npos)
    return ".";
  return separator == 0 ? "/" : path.substr(0, separator);
}

// The last way, on file systems that can neither rename without replacing nor link (FAT
// and exFAT through FUSE): look, then rename. An exclusive lock on the target's folder,
// held across both steps, keeps another chaptersort from renaming onto the same name in
// between; the lock goes with the descriptor, so a killed run leaves none behind.
file_failure checked_rename(const std::string &from, const std::string &to) {
  int folder = open(folder_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0)
    return failure_of(errno);
  int locked;
  do
    locked = flock(folder, LOCK_EX);
  while (locked != 0 && errno == EINTR);
  file_failure failure = locked != 0 ? failure_of(errno) : target_state(to);
  if (failure == file_failure::none && rename(from.c_str(), to.c_str()) != 0)
    failure = failure_of(errno);
  close(folder);
  return failure;
}

} // namespace

listing_platform::start_result listing_platform::start(enumeration *&started, std::u16string_view directory,
                                                       std::u16string_view pattern) {
  std::string path = directory.empty() ? std::string(".") : encode_name(directory);
  DIR *opened = opendir(path.c_str());
  if (!opened)
    return start_result::failed;
  auto *listing = new enumeration;
  listing->directory = opened;
  // The empty pattern is searched as "*.*", which, like "*", matches every entry.
  std::string wanted = encode_name(pattern);
  if (wanted != "*" && wanted != "*.*" && !wanted.empty())
    listing->pattern = wanted;
  if (!read_matching(*listing)) {
    finish(listing);
    return start_result::nothing_matched;
  }
  started = listing;
  return start_result::found;
}

bool listing_platform::advance(enumeration &listing) { return read_matching(listing); }

void listing_platform::finish(enumeration *listing) {
  if (listing->directory)
    closedir(listing->directory);
  delete listing;
}

text listing_platform::current_name(const enumeration &listing) {
  return listing.name ? decode_name(listing.name) : text();
}

entry_kind listing_platform::current_type(enumeration &listing) {
  // readdir already tells a directory from a file on most file systems; only a link (is
  // its target a directory?) or an unknown type needs the stat.
  if (listing.type_hint == DT_DIR)
    return entry_kind::directory;
  if (listing.type_hint != DT_UNKNOWN && listing.type_hint != DT_LNK)
    return entry_kind::file;
  const struct stat *status = entry_status(listing);
  return status && S_ISDIR(status->st_mode) ? entry_kind::directory : entry_kind::file;
}

namespace {

file_kind kind_of_mode(mode_t mode) {
  return S_ISREG(mode)   ? file_kind::regular
         : S_ISDIR(mode) ? file_kind::directory
         : S_ISLNK(mode) ? file_kind::link
                         : file_kind::other;
}

// What the entry is by its own name, from readdir where the file system says, else by
// one lstat.
file_kind own_kind(listing_platform::enumeration &listing) {
  switch (listing.type_hint) {
  case DT_REG:
    return file_kind::regular;
  case DT_DIR:
    return file_kind::directory;
  case DT_LNK:
    return file_kind::link;
  case DT_UNKNOWN:
    break;
  default:
    return file_kind::other;
  }
  if (!listing.lstat_done) {
    struct stat status;
    listing.own_kind = fstatat(dirfd(listing.directory), listing.name, &status, AT_SYMLINK_NOFOLLOW) == 0
                           ? kind_of_mode(status.st_mode)
                           : file_kind::other;
    listing.lstat_done = true;
  }
  return listing.own_kind;
}

// FAT and exFAT (in the kernel or through FUSE) and every FUSE file system may make inode
// numbers up: they can follow a file's slot in its folder, or differ between readdir and
// stat. Their identities are not taken for a file's.
bool identities_stable(int folder) {
  constexpr long msdos_magic = 0x4d44;
  constexpr long exfat_magic = 0x2011BAB0;
  constexpr long fuse_magic = 0x65735546;
  struct statfs system;
  if (fstatfs(folder, &system) != 0)
    return false;
  long type = static_cast<long>(system.f_type);
  return type != msdos_magic && type != exfat_magic && type != fuse_magic;
}

} // namespace

bool listing_platform::current_is_link(enumeration &listing) { return own_kind(listing) == file_kind::link; }

bool listing_platform::current_is_regular(enumeration &listing) {
  if (listing.type_hint == DT_REG)
    return true;
  if (listing.type_hint != DT_UNKNOWN && listing.type_hint != DT_LNK)
    return false;
  // A link counts by what it points to; one that leads nowhere is no regular file.
  const struct stat *status = entry_status(listing);
  return status && S_ISREG(status->st_mode);
}

namespace {

bool ticks_of(const struct stat *status, time_selector selector, std::int64_t &ticks) {
  if (!status)
    return false;
    // Linux keeps no creation time in stat; the status-change time stands in for it there.
#if defined(__APPLE__)
  struct timespec time = selector == time_selector::last_access  ? status->st_atimespec
                         : selector == time_selector::last_write ? status->st_mtimespec
                                                                 : status->st_birthtimespec;
#else
  struct timespec time = selector == time_selector::last_access  ? status->st_atim
                         : selector == time_selector::last_write ? status->st_mtim
                                                                 : status->st_ctim;
#endif
  // A time far outside any calendar (a file system can hold one) is held at the ends of
  // the tick range instead of overflowing; it then lies outside every date value.
  constexpr std::int64_t seconds_1601_to_1970 = 11644473600;
  constexpr std::int64_t ticks_per_second = 10000000;
  constexpr std::int64_t latest = INT64_MAX / ticks_per_second - seconds_1601_to_1970 - 1;
  constexpr std::int64_t earliest = INT64_MIN / ticks_per_second - seconds_1601_to_1970 + 1;
  auto seconds = static_cast<std::int64_t>(time.tv_sec);
  if (seconds > latest)
    ticks = INT64_MAX;
  else if (seconds < earliest)
    ticks = INT64_MIN;
  else
    ticks = (seconds + seconds_1601_to_1970) * ticks_per_second + time.tv_nsec / 100;
  return true;
}

} // namespace

bool listing_platform::current_file_time(enumeration &listing, time_selector selector, std::int64_t &ticks) {
  return ticks_of(entry_status(listing), selector, ticks);
}

bool listing_platform::file_time(std::u16string_view path, time_selector selector, std::int64_t &ticks) {
  struct stat status;
  return ticks_of(stat(encode_name(path).c_str(), &status) == 0 ? &status : nullptr, selector, ticks);
}

bool listing_platform::verbatim(std::u16string_view) { return false; }

bool listing_platform::facts(enumeration &listing, bool with_times, entry_facts &facts) {
  facts = {};
  facts.kind = own_kind(listing);
  if (listing.folder_state == 0) {
    struct stat status;
    int folder = dirfd(listing.directory);
    bool stable = fstat(folder, &status) == 0 && identities_stable(folder);
    listing.folder_state = stable ? 1 : -1;
    listing.folder_device = status.st_dev;
  }
  if (listing.folder_state > 0) {
    facts.identified = true;
    facts.identity = {static_cast<std::uint64_t>(listing.folder_device),
                      static_cast<std::uint64_t>(listing.inode)};
  }
  if (with_times && facts.kind == file_kind::regular) {
    const struct stat *status = entry_status(listing);
    facts.timed = status && ticks_of(status, time_selector::last_write, facts.write_ticks);
    facts.size = status ? static_cast<std::uint64_t>(status->st_size) : 0;
  }
  return true;
}

name_holds listing_platform::check_listed(std::u16string_view path, const entry_facts &listed) {
  struct stat status;
  if (lstat(encode_name(path).c_str(), &status) != 0)
    return name_holds::nothing;
  bool same = kind_of_mode(status.st_mode) == listed.kind;
  std::int64_t ticks = 0;
  if (same && listed.identified)
    same = listed.identity == file_identity{static_cast<std::uint64_t>(status.st_dev),
                                            static_cast<std::uint64_t>(status.st_ino)};
  else if (same && listed.timed)
    same = ticks_of(&status, time_selector::last_write, ticks) && ticks == listed.write_ticks &&
           static_cast<std::uint64_t>(status.st_size) == listed.size;
  return same ? name_holds::as_listed : name_holds::another;
}

bool listing_platform::identity(enumeration &listing, file_identity &identity) {
  struct stat status;
  if (fstat(dirfd(listing.directory), &status) != 0)
    return false;
  identity.volume = static_cast<std::uint64_t>(status.st_dev);
  identity.file = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

file_failure listing_platform::failure_of(unsigned long code) {
  switch (static_cast<int>(code)) {
  case EEXIST:
  case ENOTEMPTY:
    return file_failure::name_taken;
  case ENOENT:
  case ENOTDIR:
    return file_failure::gone;
  case EACCES:
  case EPERM:
    return file_failure::no_permission;
  case EROFS:
    return file_failure::read_only;
  case EBUSY:
  case ETXTBSY:
    return file_failure::in_use;
  default:
    return file_failure::other;
  }
}

void listing_platform::force_rename_fallback(int level) { rename_fallback = level; }

text listing_platform::full_path(std::u16string_view path) { return text(path); }

file_failure listing_platform::rename(std::u16string_view existing_path, std::u16string_view new_path) {
  std::string from = encode_name(existing_path);
  std::string to = encode_name(new_path);
  // rename(2) would replace an existing target. renameat2 with RENAME_NOREPLACE (macOS:
  // renamex_np with RENAME_EXCL) tests and renames in one step; file systems that refuse
  // the flag (NFS, some FUSE) get link and unlink, which fails on an existing target just
  // as atomically. Only where links are impossible too (FAT, exFAT through FUSE) is the
  // target tested right before a plain rename, under a lock on the folder.
  if (rename_fallback < 1) {
#if defined(__APPLE__)
    if (renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0)
      return file_failure::none;
#else
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return file_failure::none;
#endif
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
      return failure_of(errno);
  }
  if (rename_fallback < 2) {
    if (link(from.c_str(), to.c_str()) == 0) {
      if (unlink(from.c_str()) == 0)
        return file_failure::none;
      int error = errno;
      unlink(to.c_str()); // keep the file under its old name alone
      return failure_of(error);
    }
    if (errno == EEXIST || errno == ENOENT || errno == EACCES || errno == ENAMETOOLONG || errno == ENOTDIR ||
        errno == EROFS || errno == ELOOP)
      return failure_of(errno);
    // Directories and files whose system refuses links go on to the last way.
  }
  return checked_rename(from, to);
}

bool listing_platform::same_file(std::u16string_view first_name, std::u16string_view second_name) {
  struct stat first, second;
  return lstat(encode_name(first_name).c_str(), &first) == 0 &&
         lstat(encode_name(second_name).c_str(), &second) == 0 && S_ISREG(first.st_mode) &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino && first.st_nlink >= 2;
}

bool listing_platform::remove_name(std::u16string_view name) {
  return unlink(encode_name(name).c_str()) == 0;
}
