#include "sorter/disk.h"

namespace {

found_kind kind_of_entry(std::int64_t handle) {
  if (entry_type(handle) == entry_kind::directory)
    return entry_is_link(handle) ? found_kind::linked_folder : found_kind::folder;
  return entry_is_regular(handle) ? found_kind::file : found_kind::special;
}

class system_disk final : public disk {
public:
  text opened_form(std::u16string_view path) override { return platform_path(path); }
  bool can_list(std::u16string_view path) override {
    // The listing is never read: close_all_listings ends it with the run.
    return open_listing(new_listing_handle, path, u"") != 0;
  }
  bool list_folder(std::u16string_view path, bool with_times, bool with_identity,
                   folder_listing &listing) override {
    std::int64_t handle = open_listing(new_listing_handle, path, u"*");
    if (!handle)
      return false;
    listing.identified = with_identity && listing_identity(handle, listing.identity);
    while (next_entry(handle)) {
      folder_entry entry;
      entry.name = entry_name(handle);
      if (entry.name == u"." || entry.name == u"..")
        continue;
      entry.kind = kind_of_entry(handle);
      bool file = entry.kind == found_kind::file || entry.kind == found_kind::special;
      if (with_times && file)
        entry.modified = entry_date(handle, time_selector::last_write);
      if (file)
        current_entry_facts(handle, with_times, entry.facts);
      listing.entries.push_back(std::move(entry));
    }
    close_listing(handle);
    return true;
  }
  date_value last_write(std::u16string_view path) override {
    return file_date(path, time_selector::last_write);
  }
  open_outcome open_file(std::u16string_view path, readable_file &file, file_failure &why) override {
    return open_for_reading(path, file, why);
  }
  std::int64_t read_file(const readable_file &file, std::uint64_t offset, unsigned char *into,
                         std::size_t size) override {
    return read_at(file, offset, into, size);
  }
  void close_file(readable_file &file) override { ::close_file(file); }
  name_holds check_listed(std::u16string_view path, const entry_facts &listed) override {
    return ::check_listed(path, listed);
  }
  file_failure rename(std::u16string_view from, std::u16string_view to) override {
    return rename_without_replacing(from, to);
  }
  bool remove_second_name(std::u16string_view second, std::u16string_view kept) override {
    return ::remove_second_name(second, kept);
  }
  bool same_file(std::u16string_view first, std::u16string_view second) override {
    return ::same_file(first, second);
  }
};

} // namespace

disk &real_disk() {
  static system_disk disk;
  return disk;
}
