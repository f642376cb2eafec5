#include "sorter/scan.h"

#include <set>

namespace {

struct scan_walk {
  class disk &disk;
  bool recursive;
  bool with_times;
  scan_result result;
  // Links are never followed, but a bind mount can still show one folder at two paths,
  // or inside itself; its identity, not its path, tells it.
  std::set<file_identity> listed;
};

void scan_folder(scan_walk &walk, const shared_folder &folder) {
  folder_listing listing;
  // Only a walk that descends can meet a folder twice, so only then is it identified.
  if (!walk.disk.list_folder(folder->opened, walk.with_times, walk.recursive, listing)) {
    walk.result.folders_not_listed.push_back(folder->shown);
    return;
  }
  if (listing.identified && !walk.listed.insert(listing.identity).second)
    return;
  walk.result.folders_listed.push_back(folder->shown);
  for (folder_entry &entry : listing.entries) {
    if (entry.kind == found_kind::folder || entry.kind == found_kind::linked_folder) {
      // A folder reached through a link may lie anywhere (a link to "..", to the root):
      // the walk stays inside the folder the user named.
      if (walk.recursive && entry.kind == found_kind::folder)
        scan_folder(walk, std::make_shared<const folder_path>(folder_path{
                              join_path(folder->shown, entry.name), join_path(folder->opened, entry.name)}));
      continue; // folders are never recorded
    }
    name_parts parts = classify_name(entry.name);
    walk.result.files.push_back(
        {folder, std::move(entry.name), entry.modified, entry.kind, entry.facts, std::move(parts)});
  }
}

} // namespace

scan_result scan(disk &disk, const text &path, bool recursive, bool with_times) {
  scan_walk walk{disk, recursive, with_times, {}, {}};
  scan_folder(walk, std::make_shared<const folder_path>(folder_path{path, disk.opened_form(path)}));
  return std::move(walk.result);
}
