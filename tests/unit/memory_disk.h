#pragma once

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/disk.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A folder tree in memory, reached through the same seam as the real disk: files (one file
// may stand under several names, as links do), folders listed in the order their entries
// were made, a clock, and faults on demand. "/" in the paths a test gives stands for the
// platform's separator.
class memory_disk final : public disk {
public:
  struct file {
    std::string content;
    bool regular = true;
    bool unreadable = false;          // cannot be opened: another program holds it
    bool fails_reading = false;       // opens, but every read fails
    date_value modified = 1683388742; // 2023-05-06 15:59:02
    std::uint64_t id = 0;
  };
  enum class rename_way { atomic, link_then_unlink };

  rename_way way = rename_way::atomic;
  bool folds_case = false; // names that differ only in letter case are one, as on FAT and Windows
  bool stable_ids = true;  // false: identities follow a file's slot, as on FAT (size and time count)
  int cut_after = -1;      // the run dies after this many steps (renames, links, unlinks, removals)
  int steps = 0;
  std::function<void(const text &from, const text &to)> before_change; // another program's turn: before
                                                                       // a rename or a removal
  std::function<void(const text &path)> before_check;                  // the same, before a name is checked
  std::vector<text> refused;                                           // held elsewhere: never renamed
  std::vector<text> unlistable;                                        // folders that cannot be listed
  std::vector<std::string> log;                                        // what the run did, in order

  static text path(std::string_view slashed) {
    text path = decode_name(slashed);
    std::replace(path.begin(), path.end(), u'/', path_separator);
    return path;
  }
  /// A file holding content (its own path when none is given).
  std::shared_ptr<file> add(std::string_view slashed, std::string content = "") {
    auto made = std::make_shared<file>(file{content.empty() ? std::string(slashed) : std::move(content)});
    made->id = ++files_made;
    put(path(slashed), made);
    return made;
  }
  void link(std::string_view existing, std::string_view second) {
    put(path(second), find(path(existing))->content);
  }
  /// Removes a name (and the file, when it was its last).
  void remove_name(std::string_view slashed) { remove(path(slashed)); }
  /// A folder; a link to a folder; or a second path to the folder same_as (a bind mount).
  void add_folder(std::string_view slashed, bool is_link = false, std::string_view same_as = {}) {
    text folder = path(slashed);
    make_folder(folder, is_link);
    if (!same_as.empty())
      identities[folder] = identities.at(path(same_as));
  }

  /// Every name below the folders with the content its file holds, "/" between folders.
  std::map<std::string, std::string> tree() const {
    std::map<std::string, std::string> found;
    for (const auto &[folder, entries] : folders)
      for (const entry &entry : entries)
        if (entry.content) {
          std::string name = encode_name(join_path(folder, entry.name));
          std::replace(name.begin(), name.end(), static_cast<char>(path_separator), '/');
          found[name] = entry.content->content;
        }
    return found;
  }

  text opened_form(std::u16string_view path) override { return text(path); }
  bool can_list(std::u16string_view path) override { return folders.count(text(path)) != 0; }
  bool list_folder(std::u16string_view path, bool with_times, bool with_identity,
                   folder_listing &listing) override {
    auto folder = folders.find(text(path));
    if (folder == folders.end() || std::count(unlistable.begin(), unlistable.end(), text(path)))
      return false;
    listing.identified = with_identity;
    listing.identity = {1, identities.at(text(path))};
    for (const entry &entry : folder->second) {
      folder_entry found{entry.name, found_kind::file, 0, {}};
      if (!entry.content) {
        found.kind = entry.link ? found_kind::linked_folder : found_kind::folder;
      } else {
        found.kind = entry.content->regular ? found_kind::file : found_kind::special;
        found.facts = facts_of(*entry.content, with_times);
        found.modified = with_times ? entry.content->modified : 0;
      }
      listing.entries.push_back(found);
    }
    return true;
  }
  date_value last_write(std::u16string_view path) override {
    entry *found = find(text(path));
    log.push_back("last_write " + encode_name(path));
    return found && found->content ? found->content->modified : -1;
  }
  open_outcome open_file(std::u16string_view path, readable_file &opened, file_failure &why) override {
    entry *found = find(text(path));
    log.push_back("open " + encode_name(path));
    if (!found || !found->content || !found->content->regular)
      return open_outcome::not_regular;
    if (found->content->unreadable) {
      why = file_failure::in_use;
      return open_outcome::failed;
    }
    open_files.push_back(found->content);
    opened = {static_cast<std::intptr_t>(open_files.size() - 1), found->content->content.size()};
    return open_outcome::opened;
  }
  std::int64_t read_file(const readable_file &opened, std::uint64_t offset, unsigned char *into,
                         std::size_t size) override {
    const file &read = *open_files.at(static_cast<std::size_t>(opened.handle));
    if (read.fails_reading)
      return -1;
    std::size_t got =
        offset >= read.content.size() ? 0 : std::min<std::size_t>(size, read.content.size() - offset);
    std::memcpy(into, read.content.data() + offset, got);
    return static_cast<std::int64_t>(got);
  }
  void close_file(readable_file &) override {}
  name_holds check_listed(std::u16string_view path, const entry_facts &listed) override {
    if (before_check)
      before_check(text(path));
    entry *found = find(text(path));
    if (!found)
      return name_holds::nothing;
    if (!found->content)
      return name_holds::another; // a folder
    entry_facts now = facts_of(*found->content, listed.timed);
    bool same = now.kind == listed.kind &&
                (listed.identified
                     ? now.identity == listed.identity
                     : !listed.timed || (now.size == listed.size && now.write_ticks == listed.write_ticks));
    return same ? name_holds::as_listed : name_holds::another;
  }
  file_failure rename(std::u16string_view from, std::u16string_view to) override {
    if (before_change)
      before_change(text(from), text(to));
    entry *source = find(text(from));
    if (!source || dead())
      return file_failure::gone;
    entry *target = find(text(to));
    if (target && target != source)
      return file_failure::name_taken;
    if (std::find(refused.begin(), refused.end(), text(from)) != refused.end())
      return file_failure::in_use;
    std::shared_ptr<file> content = source->content;
    log.push_back("rename " + encode_name(from) + " " + encode_name(to));
    put(text(to), content); // the link, or the whole rename
    if (way == rename_way::link_then_unlink && (++steps, dead()))
      return file_failure::other;
    remove(text(from));
    ++steps;
    return file_failure::none;
  }
  bool remove_second_name(std::u16string_view second, std::u16string_view kept) override {
    if (before_change)
      before_change(text(second), text(kept));
    if (dead() || second == kept || !same_file(second, kept))
      return false;
    log.push_back("remove " + encode_name(second));
    remove(text(second));
    ++steps;
    return true;
  }
  bool same_file(std::u16string_view first, std::u16string_view second) override {
    entry *one = find(text(first));
    entry *other = find(text(second));
    return one && other && one->content && one->content == other->content;
  }

private:
  struct entry {
    text name;
    std::shared_ptr<file> content; // none for a folder
    bool link = false;
  };
  std::map<text, std::vector<entry>> folders;
  std::map<text, std::uint64_t> identities;
  std::vector<std::shared_ptr<file>> open_files;
  std::uint64_t files_made = 0;

  entry_facts facts_of(const file &held, bool timed) const {
    entry_facts facts;
    facts.kind = held.regular ? file_kind::regular : file_kind::other;
    facts.identified = stable_ids;
    facts.identity = {1, held.id};
    facts.timed = timed;
    facts.size = timed ? held.content.size() : 0;
    facts.write_ticks = timed ? held.modified : 0;
    return facts;
  }
  bool dead() const { return cut_after >= 0 && steps >= cut_after; }
  static std::size_t split(const text &full) {
    std::size_t at = full.rfind(path_separator);
    return at == text::npos ? 0 : at;
  }
  bool same_name(std::u16string_view one, std::u16string_view other) const {
    if (!folds_case)
      return one == other;
    return one.size() == other.size() &&
           std::equal(one.begin(), one.end(), other.begin(),
                      [](char16_t a, char16_t b) { return upper_char(a) == upper_char(b); });
  }
  void make_folder(const text &folder, bool is_link = false) {
    if (folders.count(folder))
      return;
    folders[folder];
    identities[folder] = identities.size() + 1;
    if (std::size_t at = split(folder); at != 0) {
      make_folder(folder.substr(0, at));
      folders[folder.substr(0, at)].push_back({folder.substr(at + 1), nullptr, is_link});
    }
  }
  entry *find(const text &full) {
    auto folder = folders.find(full.substr(0, split(full)));
    if (folder == folders.end())
      return nullptr;
    text name = full.substr(split(full) + 1);
    auto found = std::find_if(folder->second.begin(), folder->second.end(),
                              [&](const entry &entry) { return same_name(entry.name, name); });
    return found == folder->second.end() ? nullptr : &*found;
  }
  void put(const text &full, std::shared_ptr<file> content) {
    make_folder(full.substr(0, split(full)));
    folders[full.substr(0, split(full))].push_back({full.substr(split(full) + 1), std::move(content), false});
  }
  void remove(const text &full) {
    std::vector<entry> &entries = folders[full.substr(0, split(full))];
    text name = full.substr(split(full) + 1);
    entries.erase(
        std::find_if(entries.begin(), entries.end(), [&](const entry &e) { return e.name == name; }));
  }
};

// What the program writes, as a pipe receives it: every line with its CR LF, no colours.
class captured_lines final : public line_printer {
public:
  text written;
  void print_line(std::u16string_view line) override {
    written += line;
    written += u"\r\n";
  }
  void print_text(std::u16string_view piece) override { written += piece; }
  text from_outside(std::u16string_view outside) const override { return text(outside); }
  void set_colors(console_color, console_color) override {}
};
