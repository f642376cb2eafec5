#pragma once

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
// were made, and faults on demand. "/" in the paths a test gives stands for the platform's
// separator.
class memory_disk final : public disk {
public:
  struct file {
    std::string content;
    bool regular = true;
    bool unreadable = false;
  };
  enum class rename_way { atomic, link_then_unlink };

  rename_way way = rename_way::atomic;
  int cut_after = -1; // the run dies after this many steps (renames, links, unlinks, removals)
  int steps = 0;
  std::function<void(const text &from, const text &to)> before_rename; // another program's turn
  std::vector<text> refused;                                           // held elsewhere: never renamed

  static text path(std::string_view slashed) {
    text path = decode_name(slashed);
    std::replace(path.begin(), path.end(), u'/', path_separator);
    return path;
  }
  /// A file holding content (its own path when none is given).
  std::shared_ptr<file> add(std::string_view slashed, std::string content = "") {
    auto made = std::make_shared<file>(file{content.empty() ? std::string(slashed) : std::move(content)});
    put(path(slashed), made);
    return made;
  }
  void link(std::string_view existing, std::string_view second) {
    put(path(second), find(path(existing))->content);
  }
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
  bool list_folder(std::u16string_view path, bool, bool with_identity, folder_listing &listing) override {
    auto folder = folders.find(text(path));
    if (folder == folders.end())
      return false;
    listing.identified = with_identity;
    listing.identity = {1, identities.at(text(path))};
    for (const entry &entry : folder->second)
      listing.entries.push_back(
          {entry.name, !entry.content, entry.link, entry.content && entry.content->regular, 0});
    return true;
  }
  date_value last_write(std::u16string_view) override { return 0; }
  open_outcome open_file(std::u16string_view path, readable_file &opened, file_failure &why) override {
    entry *found = find(text(path));
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
    const std::string &content = open_files.at(static_cast<std::size_t>(opened.handle))->content;
    std::size_t got = offset >= content.size() ? 0 : std::min<std::size_t>(size, content.size() - offset);
    std::memcpy(into, content.data() + offset, got);
    return static_cast<std::int64_t>(got);
  }
  void close_file(readable_file &) override {}
  file_failure rename(std::u16string_view from, std::u16string_view to) override {
    if (before_rename)
      before_rename(text(from), text(to));
    entry *source = find(text(from));
    if (!source || dead())
      return file_failure::gone;
    if (find(text(to)))
      return file_failure::name_taken;
    if (std::find(refused.begin(), refused.end(), text(from)) != refused.end())
      return file_failure::in_use;
    std::shared_ptr<file> content = source->content;
    put(text(to), content); // the link, or the whole rename
    if (way == rename_way::link_then_unlink && (++steps, dead()))
      return file_failure::other;
    remove(text(from));
    ++steps;
    return file_failure::none;
  }
  bool remove_second_name(std::u16string_view second, std::u16string_view kept) override {
    if (dead() || second == kept || !same_file(second, kept))
      return false;
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

  bool dead() const { return cut_after >= 0 && steps >= cut_after; }
  static std::size_t split(const text &full) {
    std::size_t at = full.rfind(path_separator);
    return at == text::npos ? 0 : at;
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
    auto found = std::find_if(folder->second.begin(), folder->second.end(),
                              [&](const entry &entry) { return entry.name == full.substr(split(full) + 1); });
    return found == folder->second.end() ? nullptr : &*found;
  }
  void put(const text &full, std::shared_ptr<file> content) {
    make_folder(full.substr(0, split(full)));
    folders[full.substr(0, split(full))].push_back({full.substr(split(full) + 1), std::move(content), false});
  }
  void remove(const text &full) {
    std::vector<entry> &entries = folders[full.substr(0, split(full))];
    entries.erase(std::find_if(entries.begin(), entries.end(),
                               [&](const entry &e) { return e.name == full.substr(split(full) + 1); }));
  }
};
