#include "sorter/scan.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/run_state.h"

#include <algorithm>
#include <vector>

namespace {

// The directories being listed from the top down to the current level. A link back to
// one of them would make the walk endless; the identity, not the path, tells it.
std::vector<directory_identity> directories_open;

} // namespace

void scan(const text &path, bool recursive, std::int64_t listing_number) {
  if (!open_listing(listing_number, path, u"*"))
    return;
  // Only a walk that descends can loop, so only then is the folder identified.
  directory_identity identity;
  bool identified = recursive && listing_identity(listing_number, identity);
  if (identified &&
      std::find(directories_open.begin(), directories_open.end(), identity) != directories_open.end()) {
    close_listing(listing_number);
    return;
  }
  if (identified)
    directories_open.push_back(identity);

  if (options.verbose) {
    print_line();
    print_text(u"Processing files in " + path);
    if (recursive)
      print_text(u" recursively");
    print_line(u"...");
  }
  auto directory = std::make_shared<const text>(path);
  while (next_entry(listing_number)) {
    text name = entry_name(listing_number);
    if (name == u"." || name == u"..")
      continue;
    if (entry_type(listing_number) == 2) {
      if (recursive)
        scan(join_path(path, name), recursive, listing_number + 1);
      continue; // directories are never recorded
    }
    // The last-write time only ever reaches a name through -d; without it, reading the
    // time would cost a stat per entry for nothing.
    date_value modified = options.date_prefix ? entry_date(listing_number, 2) : 0;
    file_list.push_back({directory, std::move(name), modified, false});
  }
  close_listing(listing_number);
  if (identified)
    directories_open.pop_back();
}
