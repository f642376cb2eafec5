#include "sorter/pairing.h"

#include <algorithm>
#include <map>

std::size_t pairing_key_hash::operator()(const pairing_key &key) const {
  // FNV-1a over the parts, then a final mix, so that keys alike but for a unit or two (the
  // stems of one folder) spread over the buckets.
  std::uint64_t hash = 0xCBF29CE484222325u ^ reinterpret_cast<std::uintptr_t>(key.folder);
  auto add = [&](std::uint64_t value) { hash = (hash ^ value) * 0x100000001B3u; };
  for (char16_t unit : key.stem)
    add(unit);
  for (char16_t unit : key.prefix)
    add(unit);
  add(static_cast<std::uint64_t>(key.role) << 8 | static_cast<std::uint64_t>(key.form));
  add(static_cast<std::uint64_t>(key.date));
  hash ^= hash >> 29;
  return static_cast<std::size_t>(hash * 0xBF58476D1CE4E5B9u);
}

namespace {

// Keeps one sidecar of each role of a video, the first; the others are noted.
void one_of_each_role(std::vector<std::size_t> &sidecars, const file_list &files,
                      std::vector<sidecar_note> &notes) {
  std::vector<std::size_t> kept;
  for (std::size_t sidecar : sidecars) {
    if (std::any_of(kept.begin(), kept.end(),
                    [&](std::size_t one) { return files[one].parts.role == files[sidecar].parts.role; }))
      notes.push_back({sidecar, sidecar_fate::video_has_one});
    else
      kept.push_back(sidecar);
  }
  sidecars = kept;
}

} // namespace

pairing_key chapter_key(const found_file_record &record, file_role role, const name_stem &stem) {
  return {record.folder.get(), no_date, stem, role, name_form::plain, record.parts.prefix};
}

pairing_key exact_key(const folder_path *folder, const name_parts &parts, file_role role) {
  if (parts.kind == name_kind::camera || parts.kind == name_kind::camera_temporary)
    return {folder,
            no_date,
            parts.role == file_role::video ? sidecar_stem_of(parts, role) : stem_of(parts),
            role,
            name_form::plain,
            parts.prefix};
  // A long form keeps only the codec word; the 8.3 form keeps the letter itself.
  return {folder, parts.date, parts.form == name_form::short_83 ? stem_of(parts) : chapter_stem_of(parts),
          role,   parts.form, parts.prefix};
}

owner &owner_map::operator[](const pairing_key &key) {
  if ((count + 1) * 4 > slots.size() * 3)
    reserve(count + 1);
  std::size_t at = home(key);
  while (slots[at].value.used && !(slots[at].key == key))
    at = (at + 1) & (slots.size() - 1);
  if (!slots[at].value.used) {
    slots[at] = {key, owner{}};
    slots[at].value.used = true;
    ++count;
  }
  return slots[at].value;
}

const owner *owner_map::find(const pairing_key &key) const {
  if (slots.empty())
    return nullptr;
  for (std::size_t at = home(key); slots[at].value.used; at = (at + 1) & (slots.size() - 1))
    if (slots[at].key == key)
      return &slots[at].value;
  return nullptr;
}

void owner_map::reserve(std::size_t keys) {
  std::size_t size = 16;
  while (size * 3 < keys * 4)
    size *= 2;
  if (size <= slots.size())
    return;
  std::vector<slot> old(size);
  old.swap(slots);
  count = 0;
  for (slot &entry : old)
    if (entry.value.used)
      (*this)[entry.key] = entry.value;
}

std::size_t owner_map::home(const pairing_key &key) const {
  return pairing_key_hash()(key) & (slots.size() - 1);
}

void claim(owner_map &owners, const pairing_key &key, std::size_t index) {
  owner &found = owners[key];
  if (!found.claimed) {
    found.index = index;
    found.claimed = true;
  } else if (found.index != index) {
    found.ambiguous = true;
  }
}

sidecar_pairing pair_sidecars(const file_list &files, const std::vector<sidecar_claim> &claims,
                              std::size_t run_videos, const owner_map &run, const owner_map &standing,
                              const standing_keys &standing_keys_of, std::vector<sidecar_note> &notes) {
  sidecar_pairing pairing{std::vector<std::vector<std::size_t>>(run_videos),
                          std::vector<std::size_t>(files.size(), no_job)};
  std::map<std::size_t, std::vector<std::size_t>> of_standing; // by file: in file order
  for (const sidecar_claim &claim : claims) {
    if (const owner *found = run.find(claim.run_key)) {
      if (found->ambiguous)
        notes.push_back({claim.file, sidecar_fate::two_videos});
      else if (found->index != no_job)
        pairing.of_videos[found->index].push_back(claim.file);
      continue;
    }
    const owner *beside = nullptr;
    bool ambiguous = false;
    for (const std::optional<pairing_key> &key : standing_keys_of(claim.file)) {
      const owner *video = key ? standing.find(*key) : nullptr;
      if (!video)
        continue;
      ambiguous = ambiguous || beside || video->ambiguous;
      beside = video;
    }
    if (!beside)
      notes.push_back({claim.file, sidecar_fate::no_video});
    else if (ambiguous)
      notes.push_back({claim.file, sidecar_fate::two_videos});
    else if (beside->has[static_cast<int>(files[claim.file].parts.role)])
      notes.push_back({claim.file, sidecar_fate::video_has_one});
    else
      of_standing[beside->index].push_back(claim.file);
  }
  for (std::vector<std::size_t> &sidecars : pairing.of_videos)
    one_of_each_role(sidecars, files, notes);
  for (auto &[video, sidecars] : of_standing) {
    one_of_each_role(sidecars, files, notes);
    for (std::size_t sidecar : sidecars)
      pairing.beside[sidecar] = video;
  }
  return pairing;
}
