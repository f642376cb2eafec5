#include "runtime/listing_platform.h"
#include "scratch.h"
#include "sorter/disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <dirent.h>
#include <dlfcn.h>
#include <sys/inotify.h>
#include <sys/vfs.h>

// Some file systems give no types in their listing (XFS without ftype, some network ones).
// While this is set, every entry comes as such a file system gives it: readdir, ours taking
// the place of the C library's, leaves its type unknown.
static bool types_hidden = false;

extern "C" struct dirent *readdir(DIR *directory) {
  static auto *next = reinterpret_cast<struct dirent *(*)(DIR *)>(dlsym(RTLD_NEXT, "readdir"));
  struct dirent *entry = next(directory);
  if (entry && types_hidden)
    entry->d_type = DT_UNKNOWN;
  return entry;
}

// While set, the type statfs gives for every file system.
static long system_type = 0;

extern "C" int fstatfs(int descriptor, struct statfs *system) noexcept {
  static auto *next = reinterpret_cast<int (*)(int, struct statfs *)>(dlsym(RTLD_NEXT, "fstatfs"));
  int result = next(descriptor, system);
  if (result == 0 && system_type)
    system->f_type = system_type;
  return result;
}
#else
static bool types_hidden = false;
#endif

namespace {

std::vector<text> all_names(std::int64_t listing) {
  std::vector<text> names;
  while (next_entry(listing))
    names.push_back(entry_name(listing));
  return names;
}

std::vector<text> sorted(std::vector<text> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Listing, DeliversDotEntriesAndEveryFile) {
  scratch_folder folder;
  folder.write("a.mp4", "a");
  folder.write("b.mp4", "b");
  folder.write("noextension", "c");
  for (std::u16string_view pattern :
       {std::u16string_view(u"*"), std::u16string_view(u"*.*"), std::u16string_view(u"")}) {
    ASSERT_NE(open_listing(100, folder.at(), pattern), 0);
    EXPECT_EQ(sorted(all_names(100)), (std::vector<text>{u".", u"..", u"a.mp4", u"b.mp4", u"noextension"}));
    EXPECT_FALSE(next_entry(100)); // and it stays at the end
    EXPECT_FALSE(next_entry(100));
    close_listing(100);
  }
}

TEST(Listing, TellsDirectoriesFromFiles) {
  scratch_folder folder;
  folder.write("file.txt", "x");
  folder.write("sub/inner.txt", "y");
  ASSERT_NE(open_listing(7, folder.at(), u"*"), 0);
  int files = 0, directories = 0;
  while (next_entry(7)) {
    text name = entry_name(7);
    if (name == u"file.txt")
      files += entry_type(7) == entry_kind::file;
    else
      directories += entry_type(7) == entry_kind::directory; // ".", ".." and "sub"
  }
  EXPECT_EQ(files, 1);
  EXPECT_EQ(directories, 3);
  close_listing(7);
}

TEST(Listing, TrailingSeparatorsAndTheCurrentFolder) {
  scratch_folder folder;
  folder.write("only.txt", "x");
  text with_separator = folder.at() + path_separator;
  ASSERT_NE(open_listing(3, with_separator, u"*"), 0);
  EXPECT_EQ(sorted(all_names(3)), (std::vector<text>{u".", u"..", u"only.txt"}));
  close_listing(3);

  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  ASSERT_NE(open_listing(3, u"", u"*"), 0);
  EXPECT_EQ(sorted(all_names(3)), (std::vector<text>{u".", u"..", u"only.txt"}));
  close_listing(3);
  std::filesystem::current_path(previous);
  EXPECT_EQ(join_path(u"", u"name"), u"name");
  EXPECT_EQ(join_path(u"card", u"name"), u"card" + text(1, path_separator) + u"name");
}

TEST(Listing, FailsOnWhatCannotBeListed) {
  scratch_folder folder;
  folder.write("file.txt", "x");
  EXPECT_EQ(open_listing(100, folder.at("missing"), u"*"), 0);
  EXPECT_EQ(open_listing(-1, folder.at("file.txt"), u""), 0);
  EXPECT_FALSE(next_entry(100));
  // Nothing matching is not a failure: the listing opens with no entry.
  ASSERT_NE(open_listing(100, folder.at(), u"*.nothing"), 0);
  EXPECT_FALSE(next_entry(100));
  close_listing(100);
}

TEST(Listing, TheDiskSeesKindsTimesAndWhatANameHolds) {
  scratch_folder folder;
  folder.write("GX010001.MP4", "video");
  folder.write("sub/inside", "x");
#ifndef _WIN32
  ASSERT_EQ(mkfifo((folder.path() / "GX010002.MP4").c_str(), 0600), 0);
  ASSERT_EQ(symlink("GX010001.MP4", (folder.path() / "GX010003.MP4").c_str()), 0);
  ASSERT_EQ(symlink("sub", (folder.path() / "linked").c_str()), 0);
#endif
  // What the walk makes of each entry, and what the entry is by its own name.
  const std::map<text, std::pair<found_kind, file_kind>> kinds = {
      {u"GX010001.MP4", {found_kind::file, file_kind::regular}},
      {u"GX010002.MP4", {found_kind::special, file_kind::other}},
      {u"GX010003.MP4", {found_kind::file, file_kind::link}}, // a link counts by what it leads to
      {u"sub", {found_kind::folder, file_kind::other}},
      {u"linked", {found_kind::linked_folder, file_kind::other}}};
  for (int round = 0; round < 4; ++round) {
    bool with_times = round & 1;
    types_hidden = round & 2;
    folder_listing listing;
    bool listed = real_disk().list_folder(folder.at(), with_times, false, listing);
    types_hidden = false;
    ASSERT_TRUE(listed);
    for (const folder_entry &entry : listing.entries) {
      SCOPED_TRACE(encode_name(entry.name) + (round & 2 ? ", no types listed" : ""));
      auto [kind, own] = kinds.at(entry.name);
      EXPECT_EQ(entry.kind, kind);
      bool file = kind == found_kind::file || kind == found_kind::special;
      EXPECT_EQ(entry.modified != 0, with_times && file);
      EXPECT_EQ(entry.facts.kind, own);
#ifdef _WIN32
      bool timed = own == file_kind::regular; // the find data holds the times anyway
#else
      bool timed = with_times && own == file_kind::regular;
#endif
      EXPECT_EQ(entry.facts.timed, timed);
    }
  }
  folder_listing none;
  EXPECT_FALSE(real_disk().list_folder(folder.at("missing"), false, false, none));
  // What a name holds by the time it is moved, against what the listing found.
  folder_listing listed;
  ASSERT_TRUE(real_disk().list_folder(folder.at(), true, false, listed));
  auto facts_of = [&](std::u16string_view name) {
    return std::find_if(listed.entries.begin(), listed.entries.end(),
                        [&](const folder_entry &entry) { return entry.name == name; })
        ->facts;
  };
  entry_facts video = facts_of(u"GX010001.MP4");
  entry_facts by_time = video; // as FAT gives them: no identity, only a size and a time
  by_time.identified = false;
  entry_facts by_kind = by_time; // and without -d or -t, not even those
  by_kind.timed = false;
  for (const entry_facts &facts : {video, by_time, by_kind})
    EXPECT_EQ(check_listed(folder.at("GX010001.MP4"), facts), name_holds::as_listed);
  std::filesystem::rename(folder.path() / "GX010001.MP4", folder.path() / "moved away");
  EXPECT_EQ(check_listed(folder.at("GX010001.MP4"), video), name_holds::nothing);
#ifndef _WIN32
  // Another file of the same size and time: where the file system keeps identities, it is
  // still told from the one listed.
  folder.write("GX010001.MP4", "VIDEO");
  std::filesystem::last_write_time(folder.path() / "GX010001.MP4",
                                   std::filesystem::last_write_time(folder.path() / "moved away"));
  EXPECT_EQ(check_listed(folder.at("GX010001.MP4"), video), name_holds::another);
#endif
  folder.write("GX010001.MP4", "another, longer file");
  for (const entry_facts &facts : {video, by_time})
    EXPECT_EQ(check_listed(folder.at("GX010001.MP4"), facts), name_holds::another);
  std::filesystem::remove(folder.path() / "GX010001.MP4");
  std::filesystem::create_directory(folder.path() / "GX010001.MP4");
  EXPECT_EQ(check_listed(folder.at("GX010001.MP4"), video), name_holds::another);
}

#ifdef __linux__
// FAT and exFAT in the kernel, and every FUSE file system, as statfs names them: their inode
// numbers may be made up, and are not taken for a file's identity.
TEST(Listing, NoIdentityWhereTheFileSystemMakesItUp) {
  scratch_folder folder;
  folder.write("GX010001.MP4", "video");
  for (long type : {0x4d44L, 0x2011BAB0L, 0x65735546L}) {
    system_type = type;
    folder_listing listing;
    bool listed = real_disk().list_folder(folder.at(), false, false, listing);
    system_type = 0;
    ASSERT_TRUE(listed);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_FALSE(listing.entries[0].facts.identified) << std::hex << type;
  }
}
#endif

TEST(Listing, HandlesAndNumbersStayApart) {
  scratch_folder folder;
  folder.write("x.txt", "x");
  folder.write("sub/y.txt", "y");
  std::int64_t first = open_listing(-1, folder.at(), u"");
  std::int64_t second = open_listing(-1, folder.at(), u"");
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_NE(open_listing(100, folder.at(), u"*"), 0);
  EXPECT_NE(open_listing(101, folder.at(), u"*"), 0);
  EXPECT_NE(open_listing(102, folder.at(), u"*"), 0);
  EXPECT_EQ(open_listing(3, folder.at(), u"*"), 1); // a lower number leaves the higher ones open
  EXPECT_EQ(all_names(102).size(), 4u);
  EXPECT_EQ(open_listing(-5, folder.at(), u"*"), 0); // neither a number nor the request for a handle
  EXPECT_EQ(all_names(first).size(), 4u);            // ., .., x.txt and sub
  EXPECT_EQ(all_names(second).size(), 4u);

  // Opening a number again ends its old enumeration and starts the new directory's.
  ASSERT_TRUE(next_entry(101));
  ASSERT_NE(open_listing(101, folder.at("sub"), u"*"), 0);
  EXPECT_EQ(sorted(all_names(101)), (std::vector<text>{u".", u"..", u"y.txt"}));

  std::int64_t third = open_listing(-1, folder.at(), u"");
  close_listing(first);
  EXPECT_FALSE(next_entry(first));
  EXPECT_EQ(all_names(third).size(), 4u); // closing one handle leaves the others open
  EXPECT_EQ(entry_name(first), u"");
  EXPECT_EQ(entry_type(first), entry_kind::none);
  close_listing(first); // twice is harmless

  // Numbers one after another, all open at once: the table grows past every end it had.
  for (std::int64_t listing = 0; listing < 200; ++listing)
    ASSERT_EQ(open_listing(listing, folder.at("sub"), u"y*"), 1);
  for (std::int64_t listing = 0; listing < 200; ++listing)
    ASSERT_EQ(all_names(listing), std::vector<text>{u"y.txt"}) << listing;
  close_all_listings();
  for (std::int64_t listing : {second, std::int64_t{100}, std::int64_t{102}, std::int64_t{555}}) {
    EXPECT_FALSE(next_entry(listing));
    EXPECT_EQ(entry_name(listing), u"");
    EXPECT_EQ(entry_type(listing), entry_kind::none);
  }
}

#ifdef __linux__
TEST(Listing, ClosingOneClosesItsFolder) {
  auto open_files = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  scratch_folder folder;
  auto before = open_files();
  std::int64_t handle = open_listing(new_listing_handle, folder.at(), u"*");
  ASSERT_EQ(open_listing(0, folder.at(), u"*"), 1);
  EXPECT_EQ(open_files(), before + 2);
  close_listing(handle);
  close_listing(0);
  EXPECT_EQ(open_files(), before);
}
#endif

TEST(Listing, IdentifiesTheSameDirectoryByAnyPath) {
  scratch_folder folder;
  folder.write("sub/y.txt", "y");
  file_identity top, sub, again;
  ASSERT_NE(open_listing(1, folder.at(), u"*"), 0);
  ASSERT_NE(open_listing(2, folder.at("sub"), u"*"), 0);
  ASSERT_NE(open_listing(3, folder.at("sub") + path_separator + u"..", u"*"), 0);
  ASSERT_TRUE(listing_identity(1, top));
  ASSERT_TRUE(listing_identity(2, sub));
  ASSERT_TRUE(listing_identity(3, again));
  EXPECT_FALSE(top == sub);
  EXPECT_TRUE(top == again);
  close_all_listings();
}

class RenameNeverReplaces : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override { listing_platform::force_rename_fallback(GetParam()); }
  void TearDown() override { listing_platform::force_rename_fallback(0); }
};

TEST_P(RenameNeverReplaces, RenamesOntoFreeNamesOnly) {
  scratch_folder folder;
  folder.write("GX010123.MP4", "camera");
  folder.write("G-HEVC-0123-01.mp4", "mine");
  EXPECT_FALSE(rename_file(folder.at("GX010123.MP4"), folder.at("G-HEVC-0123-01.mp4")));
  EXPECT_EQ(folder.read("GX010123.MP4"), "camera");
  EXPECT_EQ(folder.read("G-HEVC-0123-01.mp4"), "mine");

#ifdef __linux__
  // The second way links where the file system can (not exFAT through FUSE).
  folder.write("probe", "");
  bool links = link((folder.path() / "probe").c_str(), (folder.path() / "probe.2").c_str()) == 0;
  std::filesystem::remove(folder.path() / "probe");
  std::filesystem::remove(folder.path() / "probe.2");
  int watch = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(inotify_add_watch(watch, folder.path().c_str(), IN_CREATE | IN_MOVED_TO), 0);
#endif
#ifndef _WIN32
  // Run with its standard input closed (from cron, say), the folder the last way locks
  // opens as descriptor 0.
  int input = dup(STDIN_FILENO);
  close(STDIN_FILENO);
#endif
  EXPECT_TRUE(rename_file(folder.at("GX010123.MP4"), folder.at("1234_G-HEVC-0123-01.mp4")));
#ifndef _WIN32
  dup2(input, STDIN_FILENO);
  close(input);
#endif
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "GX010123.MP4"));
  EXPECT_EQ(folder.read("1234_G-HEVC-0123-01.mp4"), "camera");
#ifdef __linux__
  // Each way is the one it names: the second links the new name, the others move the old.
  alignas(inotify_event) char events[4096];
  ASSERT_GT(read(watch, events, sizeof events), 0);
  const auto *event = reinterpret_cast<const inotify_event *>(events);
  EXPECT_EQ(event->mask, GetParam() == 1 && links ? IN_CREATE : IN_MOVED_TO);
  EXPECT_STREQ(event->name, "1234_G-HEVC-0123-01.mp4");
  close(watch);
#endif

  EXPECT_FALSE(rename_file(folder.at("GX010123.MP4"), folder.at("other.mp4"))); // source is gone
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "other.mp4"));

  text into_nowhere = folder.at("missing") + path_separator + u"G-HEVC-0123-01.mp4";
  EXPECT_EQ(rename_without_replacing(folder.at("1234_G-HEVC-0123-01.mp4"), into_nowhere), file_failure::gone);
  EXPECT_EQ(folder.read("1234_G-HEVC-0123-01.mp4"), "camera");
  // A name too long to look at is not a taken one (the reason is the platform's).
  EXPECT_NE(rename_without_replacing(folder.at("1234_G-HEVC-0123-01.mp4"), folder.at(std::string(300, 'x'))),
            file_failure::name_taken);
  EXPECT_EQ(folder.read("1234_G-HEVC-0123-01.mp4"), "camera");

  // A folder moves too; where it cannot be linked, by the last way.
  folder.write("sub/inside", "x");
  EXPECT_EQ(rename_without_replacing(folder.at("sub"), folder.at("moved")), file_failure::none);
  EXPECT_EQ(folder.read("moved/inside"), "x");
}

INSTANTIATE_TEST_SUITE_P(EveryWay, RenameNeverReplaces, ::testing::Values(0, 1, 2));

#ifndef _WIN32
// Where only a look and a rename are possible (FAT, exFAT through FUSE), a second run that
// holds the folder's lock keeps the look and the rename from falling apart: the name it
// takes meanwhile is never replaced.
TEST(RenameNeverReplaces, WaitsForTheLockOfAnotherRun) {
  // qemu-user does not hand a thread's blocked flock to the kernel as a waiter this test can
  // watch for: there the wait never ends.
  if (std::getenv("CHAPTERSORT_EMULATED"))
    GTEST_SKIP() << "a lock waiter cannot be watched under an emulator";
  scratch_folder folder;
  folder.write("s/GX010123.MP4", "camera");
  listing_platform::force_rename_fallback(2);
  int other_run = open((folder.path() / "s").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(flock(other_run, LOCK_EX), 0);
  bool renamed = true;
  // A folder named from where the run started (chaptersort s).
  std::filesystem::path started_in = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  std::thread run([&] { renamed = rename_file(u"s/GX010123.MP4", u"s/G-HEVC-0123-01.mp4"); });
  // Until the rename waits for the lock (a waiter in /proc/locks), whatever it does is done.
  struct stat status;
  ASSERT_EQ(fstat(other_run, &status), 0);
  std::string waiter = ":"; // appended to, since GCC 12 on arm64 misreads ":" + text as overlapping
  waiter += std::to_string(status.st_ino);
  waiter += ' ';
  auto lock_waited_for = [&] {
    for (int tries = 0; tries < 10000; ++tries) {
      std::ifstream locks("/proc/locks");
      for (std::string line; std::getline(locks, line);)
        if (line.find("->") != std::string::npos && line.find(waiter) != std::string::npos)
          return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  };
  bool waiting = lock_waited_for();
  // A signal the program handles (a stop and a continue, say) interrupts the wait, which
  // goes on: the handler has run once the interrupted wait has left the list of waiters.
  static volatile std::sig_atomic_t interrupted = 0;
  struct sigaction handler = {}, before;
  handler.sa_handler = [](int) { interrupted = 1; };
  sigaction(SIGUSR1, &handler, &before);
  if (waiting && pthread_kill(run.native_handle(), SIGUSR1) == 0)
    while (!interrupted)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  sigaction(SIGUSR1, &before, nullptr);
  bool waiting_again = interrupted && lock_waited_for();
  folder.write("s/G-HEVC-0123-01.mp4", "taken meanwhile");
  flock(other_run, LOCK_UN);
  run.join();
  std::filesystem::current_path(started_in);
  close(other_run);
  listing_platform::force_rename_fallback(0);
  EXPECT_TRUE(waiting) << "the rename did not wait for the folder's lock";
  EXPECT_TRUE(waiting_again) << "an interrupted wait for the lock was given up";
  EXPECT_FALSE(renamed);
  EXPECT_EQ(folder.read("s/G-HEVC-0123-01.mp4"), "taken meanwhile");
  EXPECT_EQ(folder.read("s/GX010123.MP4"), "camera");
}
#endif

} // namespace
