#include "runtime/listing.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

const char16_t path_separator = u'/';

struct listing_detail::enumeration {
  DIR *directory = nullptr;
  std::string pattern; // empty: every entry
  const char *name = nullptr;
  unsigned char type_hint = DT_UNKNOWN; // what readdir says, when the file system says
  bool stat_done = false;
  bool stat_ok = false;
  struct stat status = {};
};

namespace {

int rename_fallback = 0;

bool matches(const listing_detail::enumeration &listing, const char *name) {
  return listing.pattern.empty() || fnmatch(listing.pattern.c_str(), name, 0) == 0;
}

bool read_matching(listing_detail::enumeration &listing) {
  while (struct dirent *entry = readdir(listing.directory)) {
    if (!matches(listing, entry->d_name))
      continue;
    listing.name = entry->d_name;
    listing.type_hint = entry->d_type;
    listing.stat_done = false;
    return true;
  }
  return false;
}

// At most one stat per entry, made when a time (or a type readdir did not give) is first
// asked for, following a link so that a link to a directory is a directory. A dangling
// link is taken as itself.
const struct stat *entry_status(listing_detail::enumeration &listing) {
  if (!listing.stat_done) {
    int fd = dirfd(listing.directory);
    listing.stat_ok = fstatat(fd, listing.name, &listing.status, 0) == 0 ||
                      fstatat(fd, listing.name, &listing.status, AT_SYMLINK_NOFOLLOW) == 0;
    listing.stat_done = true;
  }
  return listing.stat_ok ? &listing.status : nullptr;
}

// Every level of a deep tree keeps its directory open while the levels below are
// listed, so a tree deeper than the default limit of open files needs the hard limit.
void raise_open_file_limit() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

bool target_exists(const std::string &path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

} // namespace

listing_detail::start_result listing_detail::start(enumeration *&started, std::u16string_view directory,
                                                   std::u16string_view pattern) {
  static bool limit_raised = false;
  if (!limit_raised) {
    raise_open_file_limit();
    limit_raised = true;
  }
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

bool listing_detail::advance(enumeration &listing) { return read_matching(listing); }

void listing_detail::finish(enumeration *listing) {
  if (listing->directory)
    closedir(listing->directory);
  delete listing;
}

text listing_detail::current_name(const enumeration &listing) {
  return listing.name ? decode_name(listing.name) : text();
}

int listing_detail::current_type(enumeration &listing) {
  // readdir already tells a directory from a file on most file systems; only a link (is
  // its target a directory?) or an unknown type needs the stat.
  if (listing.type_hint == DT_DIR)
    return 2;
  if (listing.type_hint != DT_UNKNOWN && listing.type_hint != DT_LNK)
    return 1;
  const struct stat *status = entry_status(listing);
  return status && S_ISDIR(status->st_mode) ? 2 : 1;
}

bool listing_detail::current_file_time(enumeration &listing, int selector, std::int64_t &ticks) {
  const struct stat *status = entry_status(listing);
  if (!status)
    return false;
    // Linux keeps no creation time in stat; the status-change time stands in for it there.
#if defined(__APPLE__)
  struct timespec time = selector == 1   ? status->st_atimespec
                         : selector == 2 ? status->st_mtimespec
                                         : status->st_birthtimespec;
#else
  struct timespec time = selector == 1 ? status->st_atim : selector == 2 ? status->st_mtim : status->st_ctim;
#endif
  constexpr std::int64_t seconds_1601_to_1970 = 11644473600;
  ticks = (static_cast<std::int64_t>(time.tv_sec) + seconds_1601_to_1970) * 10000000 + time.tv_nsec / 100;
  return true;
}

bool listing_detail::identity(enumeration &listing, directory_identity &identity) {
  struct stat status;
  if (fstat(dirfd(listing.directory), &status) != 0)
    return false;
  identity.volume = static_cast<std::uint64_t>(status.st_dev);
  identity.file = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

void force_rename_fallback(int level) { rename_fallback = level; }

bool rename_file(std::u16string_view existing_path, std::u16string_view new_path) {
  std::string from = encode_name(existing_path);
  std::string to = encode_name(new_path);
  // rename(2) would replace an existing target. renameat2 with RENAME_NOREPLACE (macOS:
  // renamex_np with RENAME_EXCL) tests and renames in one step; file systems that refuse the flag (NFS, some
  // FUSE) get link and unlink, which fails on an existing target just as atomically. Only where links are
  // impossible too (FAT, exFAT) is the target tested right before a plain rename.
  if (rename_fallback < 1) {
#if defined(__APPLE__)
    if (renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0)
      return true;
#else
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return true;
#endif
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
      return false;
  }
  if (rename_fallback < 2) {
    struct stat source;
    if (lstat(from.c_str(), &source) != 0)
      return false;
    if (link(from.c_str(), to.c_str()) == 0) {
      if (unlink(from.c_str()) == 0)
        return true;
      unlink(to.c_str()); // keep the file under its old name alone
      return false;
    }
    if (errno == EEXIST || errno == ENOENT || errno == EACCES || errno == ENAMETOOLONG || errno == ENOTDIR ||
        errno == EROFS || errno == ELOOP)
      return false;
    // Directories and files whose system refuses links go on to the last way.
  }
  if (target_exists(to))
    return false;
  return rename(from.c_str(), to.c_str()) == 0;
}
