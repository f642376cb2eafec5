#include "sorter/scan.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/run_state.h"

#include <set>

namespace {

// Every folder listed in this run. Links are never followed, but a bind mount can still
// show one folder at two paths, or inside itself; its identity, not its path, tells it.
std::set<directory_identity> directories_listed;

} // namespace

void scan(const text &path, bool recursive, std::int64_t listing_number) {
  if (!open_listing(listing_number, path, u"*"))
    return;
  // Only a walk that descends can meet a folder twice, so only then is it identified.
  directory_identity identity;
  if (recursive && listing_identity(listing_number, identity) &&
      !directories_listed.insert(identity).second) {
    close_listing(listing_number);
    return;
  }

  if (options.verbose) {
    print_line();
    print_text(u"Processing files in " + from_outside(path));
    if (recursive)
      print_text(u" recursively");
    print_line(u"...");
  }
  auto directory = std::make_shared<const text>(path);
  while (next_entry(listing_number)) {
    text name = entry_name(listing_number);
    if (name == u"." || name == u"..")
      continue;
    if (entry_type(listing_number) == entry_kind::directory) {
      // A folder reached through a link may lie anywhere (a link to "..", to the root):
      // the walk stays inside the folder the user named.
      if (recursive && !entry_is_link(listing_number))
        scan(join_path(path, name), recursive, listing_number + 1);
      continue; // directories are never recorded
    }
    // The last-write time only ever reaches a name through -d; without it, reading the
    // time would cost a stat per entry for nothing.
    date_value modified = options.date_prefix ? entry_date(listing_number, time_selector::last_write) : 0;
    file_list.push_back({directory, std::move(name), modified, false});
  }
  close_listing(listing_number);
}
