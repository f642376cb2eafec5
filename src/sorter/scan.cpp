#include "sorter/scan.h"

#include "runtime/console.h"
#include "sorter/fixed_texts.h"

#include <set>

namespace {

struct scan_walk {
  class disk &disk;
  bool recursive;
  bool verbose;
  bool read_dates;
  scan_result result;
  // Links are never followed, but a bind mount can still show one folder at two paths,
  // or inside itself; its identity, not its path, tells it.
  std::set<directory_identity> listed;
};

void scan_folder(scan_walk &walk, const shared_folder &folder) {
  folder_listing listing;
  // Only a walk that descends can meet a folder twice, so only then is it identified.
  if (!walk.disk.list_folder(folder->opened, walk.read_dates, walk.recursive, listing)) {
    walk.result.folders_not_listed.push_back(folder->shown);
    return;
  }
  if (listing.identified && !walk.listed.insert(listing.identity).second)
    return;
  if (walk.verbose) {
    print_line();
    print_text(fill(fixed_text::processing_files_in, {from_outside(folder->shown)}));
    if (walk.recursive)
      print_text(fixed_text::recursively);
    print_line(fixed_text::processing_end);
  }
  for (folder_entry &entry : listing.entries) {
    if (entry.directory) {
      // A folder reached through a link may lie anywhere (a link to "..", to the root):
      // the walk stays inside the folder the user named.
      if (walk.recursive && !entry.link)
        scan_folder(walk, std::make_shared<const folder_path>(folder_path{
                              join_path(folder->shown, entry.name), join_path(folder->opened, entry.name)}));
      continue; // folders are never recorded
    }
    name_parts parts = classify_name(entry.name);
    walk.result.files.push_back({folder, std::move(entry.name), entry.modified, entry.regular, parts});
  }
}

} // namespace

scan_result scan(disk &disk, const text &path, const run_options &options) {
  // -t reads a file's last change only where its recording has no start time.
  bool dated = options.date_prefix && !options.start_time && !options.short_names && !options.finish &&
               !options.camera_names;
  scan_walk walk{disk, options.recursive, options.verbose, dated, {}, {}};
  scan_folder(walk, std::make_shared<const folder_path>(folder_path{path, disk.opened_form(path)}));
  return std::move(walk.result);
}

void print_folders_not_listed(const scan_result &scanned) {
  for (const text &folder : scanned.folders_not_listed)
    print_line(fill(fixed_text::folder_not_listed, {from_outside(folder)}));
}
