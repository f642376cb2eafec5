#include "sorter/scan.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/fixed_texts.h"

#include <set>

namespace {

struct scan_walk {
  bool recursive;
  bool verbose;
  bool read_dates;
  scan_result result;
  // Links are never followed, but a bind mount can still show one folder at two paths,
  // or inside itself; its identity, not its path, tells it.
  std::set<directory_identity> listed;
};

void scan_folder(scan_walk &walk, const text &path, std::int64_t listing_number) {
  if (!open_listing(listing_number, path, u"*")) {
    walk.result.folders_not_listed.push_back(path);
    return;
  }
  // Only a walk that descends can meet a folder twice, so only then is it identified.
  directory_identity identity;
  if (walk.recursive && listing_identity(listing_number, identity) && !walk.listed.insert(identity).second) {
    close_listing(listing_number);
    return;
  }

  if (walk.verbose) {
    print_line();
    print_text(fill(fixed_text::processing_files_in, {from_outside(path)}));
    if (walk.recursive)
      print_text(fixed_text::recursively);
    print_line(fixed_text::processing_end);
  }
  auto directory = std::make_shared<const text>(path);
  while (next_entry(listing_number)) {
    text name = entry_name(listing_number);
    if (name == u"." || name == u"..")
      continue;
    if (entry_type(listing_number) == entry_kind::directory) {
      // A folder reached through a link may lie anywhere (a link to "..", to the root):
      // the walk stays inside the folder the user named.
      if (walk.recursive && !entry_is_link(listing_number))
        scan_folder(walk, join_path(path, name), listing_number + 1);
      continue; // directories are never recorded
    }
    // Reading the time costs a stat per entry, worth it only where a date can reach a name.
    date_value modified = walk.read_dates ? entry_date(listing_number, time_selector::last_write) : 0;
    walk.result.files.push_back({directory, std::move(name), modified, false});
  }
  close_listing(listing_number);
}

} // namespace

scan_result scan(const text &path, const run_options &options) {
  scan_walk walk{options.recursive, options.verbose, options.date_prefix && !options.short_names, {}, {}};
  scan_folder(walk, path, top_scan_listing);
  return std::move(walk.result);
}

void print_folders_not_listed(const scan_result &scanned) {
  for (const text &folder : scanned.folders_not_listed)
    print_line(fill(fixed_text::folder_not_listed, {from_outside(folder)}));
}
