#include "sorter/plan.h"

#include "runtime/console.h"
#include "sorter/camera_names.h"
#include "sorter/fixed_texts.h"
#include "sorter/names.h"
#include "sorter/rename.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

namespace {

// What pairs a sidecar with its video, and a name with the other names of its chapter: the
// folder (the records of one folder share one folder record, so its address stands for
// it), the file's role, a stem, and for final names their form and date.
struct pairing_key {
  const folder_path *folder = nullptr;
  date_value date = -1;
  name_stem stem{};
  file_role role = file_role::video;
  name_form form = name_form::plain;
  bool operator==(const pairing_key &) const = default;
};

struct key_hash {
  std::size_t operator()(const pairing_key &key) const {
    // FNV-1a over the parts, then a final mix, so that keys alike but for a unit or two
    // (the stems of one folder) spread over the buckets.
    std::uint64_t hash = 0xCBF29CE484222325u ^ reinterpret_cast<std::uintptr_t>(key.folder);
    auto add = [&](std::uint64_t value) { hash = (hash ^ value) * 0x100000001B3u; };
    for (char16_t unit : key.stem)
      add(unit);
    add(static_cast<std::uint64_t>(key.role) << 8 | static_cast<std::uint64_t>(key.form));
    add(static_cast<std::uint64_t>(key.date));
    hash ^= hash >> 29;
    return static_cast<std::size_t>(hash * 0xBF58476D1CE4E5B9u);
  }
};

// A key of a chapter in any state: its stem as a final name tells it (X or H).
pairing_key chapter_key(const found_file_record &record, file_role role, const name_stem &stem) {
  return {record.folder.get(), -1, stem, role, name_form::plain};
}

// A key of one final name exactly: its form and date too, and for the 8.3 form its own
// codec letter.
pairing_key final_key(const found_file_record &record, file_role role, const name_parts &parts) {
  return {record.folder.get(), parts.date,
          parts.form == name_form::short_83 ? stem_of(parts) : chapter_stem_of(parts), role, parts.form};
}

// ---------------------------------------------------------------------------------------
// Second names: a rename cut between its link and its unlink leaves one file under two
// names of its chapter. The name further along in the run's direction stays.

enum class direction { to_final_names, to_camera_names };

// How far along a name is in a run's direction; -1 for a name that is in none of its states.
int progress(const name_parts &parts, direction way, bool short_names) {
  bool final = parts.kind == name_kind::final_name || (short_names && parts.short_final);
  bool camera = parts.kind == name_kind::camera && !final;
  if (way == direction::to_final_names)
    return camera ? 0 : parts.kind == name_kind::temporary ? 1 : final ? 2 : -1;
  return final ? 0 : parts.kind == name_kind::camera_temporary ? 1 : camera ? 2 : -1;
}

// The chapter stems a name stands for: a camera proxy with "L" may be an HEVC or an AVC one.
std::array<std::optional<name_stem>, 2> chapter_stems(const name_parts &parts, bool short_names) {
  if (short_names && parts.short_final)
    return {chapter_stem_of(as_short_final(parts)), std::nullopt};
  if ((parts.kind == name_kind::camera || parts.kind == name_kind::camera_temporary) &&
      parts.role != file_role::video)
    return chapter_stems_of_sidecar(parts);
  return {chapter_stem_of(parts), std::nullopt};
}

using chapter_index = std::unordered_map<pairing_key, std::vector<std::size_t>, key_hash>;

struct second_name_search {
  class disk &disk;
  const file_list &files;
  direction way;
  bool short_names;
  chapter_index others; // the names in states other than the one the run takes

  second_name_search(class disk &the_disk, const file_list &all, direction run_way, bool short_form,
                     name_kind taken)
      : disk(the_disk), files(all), way(run_way), short_names(short_form) {
    for (std::size_t index = 0; index < files.size(); ++index) {
      const name_parts &parts = files[index].parts;
      if (parts.kind == taken || progress(parts, way, short_names) < 0)
        continue;
      for (const std::optional<name_stem> &stem : chapter_stems(parts, short_names))
        if (stem)
          others[chapter_key(files[index], parts.role, *stem)].push_back(index);
    }
  }

  // The second name of the file a run would take, when another name of its chapter is the
  // same file: which of the two goes.
  std::optional<second_name> of(std::size_t taken) {
    const found_file_record &record = files[taken];
    int here = progress(record.parts, way, short_names);
    for (const std::optional<name_stem> &stem : chapter_stems(record.parts, short_names)) {
      auto found = stem ? others.find(chapter_key(record, record.parts.role, *stem)) : others.end();
      if (found == others.end())
        continue;
      for (std::size_t other : found->second) {
        const found_file_record &there = files[other];
        int along = progress(there.parts, way, short_names);
        if (along == here || !disk.same_file(join_path(record.folder->opened, record.name),
                                             join_path(there.folder->opened, there.name)))
          continue;
        if (along > here)
          return second_name{record.folder, record.name, there.name};
        return second_name{record.folder, there.name, record.name};
      }
    }
    return std::nullopt;
  }
};

// ---------------------------------------------------------------------------------------
// Sidecars: each follows a video of the run, or stands beside a video that stays as it is.

// Who a sidecar may belong to: a video of the run (by its place among them; none for one
// that is left out, whose sidecars then stay without a word), or a video that stays.
struct owner {
  std::size_t index = no_job;
  bool claimed = false; // by a video (a left-out one claims with no index)
  bool ambiguous = false;
  bool has[3] = {};  // standing videos: a sidecar of each role under the same state already
  bool used = false; // the slot of owner_map holds a key
};

// Owners by key in one array, probed linearly: the pairing looks a key or two up for every
// sidecar, and a table of separate nodes spends that time waiting for memory.
class owner_map {
public:
  /// The owner under a key, made (with no index) when there is none yet.
  owner &operator[](const pairing_key &key) {
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
  /// The owner under a key; none when there is none.
  owner *find(const pairing_key &key) {
    if (slots.empty())
      return nullptr;
    for (std::size_t at = home(key); slots[at].value.used; at = (at + 1) & (slots.size() - 1))
      if (slots[at].key == key)
        return &slots[at].value;
    return nullptr;
  }
  const owner *find(const pairing_key &key) const { return const_cast<owner_map *>(this)->find(key); }
  /// Room for keys without a rehash.
  void reserve(std::size_t keys) {
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

private:
  struct slot {
    pairing_key key;
    owner value;
  };
  std::vector<slot> slots;
  std::size_t count = 0;
  std::size_t home(const pairing_key &key) const { return key_hash()(key) & (slots.size() - 1); }
};

void claim(owner_map &owners, const pairing_key &key, std::size_t index) {
  owner &found = owners[key];
  if (found.index == no_job && !found.ambiguous && !found.claimed) {
    found.index = index;
    found.claimed = true;
  } else if (found.index != index) {
    found.ambiguous = true;
  }
}

// A sidecar, and the key under which a video of the run may own it.
struct sidecar_claim {
  std::size_t file;
  pairing_key run_key;
};

// The keys under which a standing video may own a sidecar, asked for only when no video of
// the run claims it.
using standing_keys = std::function<std::array<std::optional<pairing_key>, 2>(std::size_t sidecar)>;

struct sidecar_pairing {
  std::vector<std::vector<std::size_t>> of_videos; // by the run's video, its sidecars (files)
  std::vector<std::size_t> beside;                 // by file: the standing video it joins, or no_job
};

// Keeps one sidecar of each role per video: the one preferred (the camera's own form), else
// the first; the others stay, since they would all take one name.
void one_of_each_role(std::vector<std::size_t> &sidecars, const file_list &files,
                      const std::function<bool(std::size_t)> &preferred, std::vector<sidecar_note> &notes) {
  auto same_role = [&](std::size_t first, std::size_t second) {
    return files[first].parts.role == files[second].parts.role;
  };
  bool one_each = true; // as a video has almost always: nothing to choose
  for (std::size_t k = 0; k < sidecars.size(); ++k)
    for (std::size_t m = k + 1; m < sidecars.size(); ++m)
      one_each = one_each && !same_role(sidecars[k], sidecars[m]);
  if (one_each)
    return;
  std::vector<std::size_t> kept;
  for (std::size_t sidecar : sidecars) {
    auto other =
        std::find_if(kept.begin(), kept.end(), [&](std::size_t one) { return same_role(one, sidecar); });
    if (other == kept.end()) {
      kept.push_back(sidecar);
    } else if (preferred && preferred(sidecar) && !preferred(*other)) {
      notes.push_back({*other, sidecar_fate::video_has_one});
      *other = sidecar;
    } else {
      notes.push_back({sidecar, sidecar_fate::video_has_one});
    }
  }
  std::sort(kept.begin(), kept.end());
  sidecars = kept;
}

// Pairs each sidecar with the video of the run that claims it (by its place among
// video_files), else with the one standing video its keys find. preferred tells, of two
// sidecars of one role for one video, the one to keep.
sidecar_pairing pair_sidecars(const file_list &files, const std::vector<sidecar_claim> &claims,
                              const std::vector<std::size_t> &video_files, const owner_map &run,
                              const owner_map &standing, const standing_keys &standing_keys_of,
                              const std::function<bool(std::size_t video, std::size_t sidecar)> &preferred,
                              std::vector<sidecar_note> &notes) {
  sidecar_pairing pairing{std::vector<std::vector<std::size_t>>(video_files.size()),
                          std::vector<std::size_t>(files.size(), no_job)};
  std::unordered_map<std::size_t, std::vector<std::size_t>> of_standing;
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
      // A key only sidecars made (a final thumbnail without its video) is no owner.
      const owner *video = key ? standing.find(*key) : nullptr;
      if (!video || !video->claimed)
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
  auto preferred_for = [&](std::size_t video) {
    return preferred ? [&preferred, video](std::size_t sidecar) { return preferred(video, sidecar); }
                     : std::function<bool(std::size_t)>();
  };
  for (std::size_t video = 0; video < video_files.size(); ++video)
    one_of_each_role(pairing.of_videos[video], files, preferred_for(video_files[video]), notes);
  for (auto &[video, sidecars] : of_standing) {
    one_of_each_role(sidecars, files, preferred_for(video), notes);
    for (std::size_t sidecar : sidecars)
      pairing.beside[sidecar] = video;
  }
  return pairing;
}

// ---------------------------------------------------------------------------------------
// The plan of a run: the videos it takes, then their jobs with their sidecars.

// A video of the run: its file, and the name it is to have.
struct planned_video {
  std::size_t file;
  name_parts target;  // the final name's parts (-c: the final name it has)
  text name;          // the name it is to have
  bool older = false; // -c: an older camera's recording (GOPR, GP)
};

// The names of the folder a camera name could be, upper-cased: a camera name is taken when
// a name of another letter case stands there too, as it does on Windows and on a card.
std::set<std::pair<const folder_path *, text>> upper_cased_names(const file_list &files) {
  std::set<std::pair<const folder_path *, text>> names;
  for (const found_file_record &record : files) {
    if (record.name.size() != camera_name::length)
      continue;
    text upper = record.name;
    for (char16_t &unit : upper)
      unit = upper_char(unit);
    names.emplace(record.folder.get(), std::move(upper));
  }
  return names;
}

std::vector<std::size_t> files_of(const std::vector<planned_video> &videos) {
  std::vector<std::size_t> files;
  files.reserve(videos.size());
  for (const planned_video &video : videos)
    files.push_back(video.file);
  return files;
}

rename_job job_for(const found_file_record &record, std::size_t file, text name) {
  rename_job job;
  job.folder = record.folder;
  job.file = file;
  job.old_name = record.name;
  job.final_name = std::move(name);
  return job;
}

// The jobs in file-list order: each video with its sidecars right after it; a sidecar that
// joins a standing video where it stands itself.
job_list assemble(const file_list &files, std::vector<planned_video> &videos, const sidecar_pairing &pairing,
                  const std::function<text(const planned_video &, std::size_t)> &sidecar_name,
                  const std::function<text(std::size_t, std::size_t)> &beside_name) {
  job_list jobs;
  std::size_t count = videos.size();
  for (const std::vector<std::size_t> &sidecars : pairing.of_videos)
    count += sidecars.size();
  jobs.reserve(count +
               static_cast<std::size_t>(std::count_if(pairing.beside.begin(), pairing.beside.end(),
                                                      [](std::size_t video) { return video != no_job; })));
  std::vector<std::size_t> video_of(files.size(), no_job);
  for (std::size_t video = 0; video < videos.size(); ++video)
    video_of[videos[video].file] = video;
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (pairing.beside[index] != no_job)
      jobs.push_back(job_for(files[index], index, beside_name(pairing.beside[index], index)));
    std::size_t video = video_of[index];
    if (video == no_job)
      continue;
    std::size_t video_job = jobs.size();
    jobs.push_back(job_for(files[index], index, std::move(videos[video].name)));
    for (std::size_t sidecar : pairing.of_videos[video]) {
      jobs.push_back(job_for(files[sidecar], sidecar, sidecar_name(videos[video], sidecar)));
      jobs.back().video = video_job;
    }
  }
  return jobs;
}

name_parts with_role(name_parts parts, file_role role) {
  parts.role = role;
  return parts;
}

bool is_sidecar(const name_parts &parts) { return parts.role != file_role::video; }

// A camera sidecar stands beside the video of its chapter under any state's name: the keys
// of the chapter stems it may have.
standing_keys by_chapter_stems(const file_list &files) {
  return [&files](std::size_t sidecar) {
    std::array<std::optional<pairing_key>, 2> keys;
    std::array<std::optional<name_stem>, 2> stems = chapter_stems_of_sidecar(files[sidecar].parts);
    for (std::size_t k = 0; k < stems.size(); ++k)
      if (stems[k])
        keys[k] = chapter_key(files[sidecar], file_role::video, *stems[k]);
    return keys;
  };
}

// Registers a camera-named video under the stems its sidecars have: its thumbnail its own
// stem, its proxy its own stem or that stem with "L".
void claim_camera_stems(owner_map &owners, const found_file_record &record, std::size_t index) {
  name_stem stem = stem_of(record.parts);
  claim(owners, chapter_key(record, file_role::thumbnail, stem), index);
  claim(owners, chapter_key(record, file_role::proxy, stem), index);
  claim(owners, chapter_key(record, file_role::proxy, proxy_stem_of(stem)), index);
}

// Whether a camera sidecar has the camera's own form for its video: an older camera's
// (GOPR, GP) proxy has the video's stem, a later one's "L" for the codec letter.
bool camera_form_of(const name_parts &video, const name_parts &sidecar) {
  name_stem own = stem_of(video);
  bool older = video.codec_letter == u'O' || video.codec_letter == u'P';
  if (sidecar.role == file_role::proxy && !older)
    own = proxy_stem_of(own);
  return stem_of(sidecar) == own;
}

} // namespace

plan renaming_plan(disk &disk, const file_list &files, const run_options &options) {
  plan planned;
  std::vector<std::size_t> taken;
  std::vector<std::size_t> camera_sidecars;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const name_parts &parts = files[index].parts;
    if (parts.kind == name_kind::cut_character && !is_sidecar(parts))
      planned.examined.push_back({index, not_taken::cut_character});
    if (parts.kind != name_kind::camera || (is_sidecar(parts) && !options.sidecars))
      continue;
    // A second -o run leaves the 8.3 names of the first alone.
    if (options.short_names && parts.short_final) {
      planned.examined.push_back({index, not_taken::short_name});
      continue;
    }
    (is_sidecar(parts) ? camera_sidecars : taken).push_back(index);
  }
  // 8.3 names carry no date: with -o there is nothing to read.
  if (options.start_time && !options.short_names)
    planned.times = date_recordings(disk, files, taken);

  second_name_search second_names(disk, files, direction::to_final_names, options.short_names,
                                  name_kind::camera);
  std::vector<planned_video> videos;
  owner_map run;
  if (options.sidecars)
    run.reserve(3 * taken.size());
  std::set<const recording_time *> reported;
  for (std::size_t index : taken) {
    const found_file_record &record = files[index];
    const recording_time *time = time_of(planned.times, record);
    if (time && time->unreadable != no_job) {
      // One chapter that cannot be read leaves its whole recording as it is.
      if (reported.insert(time).second)
        planned.left.push_back({time->unreadable, left_out_reason::unreadable, time->failure, {}});
      if (options.sidecars)
        claim_camera_stems(run, record, no_job);
      continue;
    }
    if (std::optional<second_name> second = second_names.of(index)) {
      planned.second_names.push_back(*second);
      if (second->removed == record.name)
        continue;
    }
    if (options.sidecars)
      claim_camera_stems(run, record, videos.size());
    name_parts target = final_parts_for(record, options, planned.times, disk);
    videos.push_back({index, target, final_name(target)});
  }

  std::vector<sidecar_claim> claims;
  owner_map standing;
  if (options.sidecars) {
    // A video under its final name stays as it is; a sidecar with its camera name joins it.
    // With -o the program's own 8.3 names are final names too.
    for (std::size_t index = 0; index < files.size(); ++index) {
      const found_file_record &record = files[index];
      if (progress(record.parts, direction::to_final_names, options.short_names) != 2)
        continue;
      owner &video = standing[chapter_key(record, file_role::video,
                                          *chapter_stems(record.parts, options.short_names)[0])];
      if (is_sidecar(record.parts)) {
        video.has[static_cast<int>(record.parts.role)] = true;
      } else {
        video.ambiguous = video.ambiguous || video.claimed;
        video.index = index;
        video.claimed = true;
      }
    }
    for (std::size_t index : camera_sidecars) {
      const found_file_record &record = files[index];
      if (std::optional<second_name> second = second_names.of(index)) {
        planned.second_names.push_back(*second);
        if (second->removed == record.name)
          continue;
      }
      claims.push_back({index, chapter_key(record, record.parts.role, stem_of(record.parts))});
    }
  }
  // Of two proxies for one video (GL010123.LRV and GX010123.LRV), the camera's own form.
  sidecar_pairing pairing = pair_sidecars(
      files, claims, files_of(videos), run, standing, by_chapter_stems(files),
      [&](std::size_t video, std::size_t sidecar) {
        return files[video].parts.kind != name_kind::camera ||
               camera_form_of(files[video].parts, files[sidecar].parts);
      },
      planned.notes);
  planned.jobs = assemble(
      files, videos, pairing,
      [&](const planned_video &video, std::size_t sidecar) {
        return final_name(with_role(video.target, files[sidecar].parts.role));
      },
      [&](std::size_t video, std::size_t sidecar) {
        const name_parts &parts = files[video].parts;
        return final_name(with_role(parts.kind == name_kind::camera ? as_short_final(parts) : parts,
                                    files[sidecar].parts.role));
      });
  return planned;
}

plan finishing_plan(disk &disk, const file_list &files, const run_options &options) {
  plan planned;
  // -f takes the long temporary names; an 8.3 one only with -o, since it cannot be told
  // from a user's "2019_GREECE01.mp4"; with -c, -c's camera-name temporary names alone.
  name_kind kind = options.camera_names ? name_kind::camera_temporary : name_kind::temporary;
  auto takes = [&](const name_parts &parts) {
    return parts.kind == kind && (parts.form != name_form::short_83 || options.short_names);
  };
  std::set<std::tuple<const folder_path *, file_role, std::array<char16_t, 2>, std::array<char16_t, 4>>>
      final_chapters;
  if (options.camera_names)
    for (const found_file_record &record : files)
      if (record.parts.kind == name_kind::final_name)
        final_chapters.emplace(record.folder.get(), record.parts.role, record.parts.chapter,
                               record.parts.recording);
  // A user's "2019_GH010124.MP4" has the shape too: -f -c takes such a name only when no
  // file of its recording, chapter and kind (video, proxy, thumbnail) is under a final name;
  // a sidecar still under its final name keeps no video from being finished.
  auto camera_finished = [&](const found_file_record &record) {
    return !final_chapters.count(
        {record.folder.get(), record.parts.role, record.parts.chapter, record.parts.recording});
  };

  direction way = options.camera_names ? direction::to_camera_names : direction::to_final_names;
  second_name_search second_names(disk, files, way, options.short_names, kind);
  std::vector<planned_video> videos;
  std::vector<sidecar_claim> claims;
  owner_map run;
  owner_map standing;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    const name_parts &parts = record.parts;
    if (!takes(parts))
      continue;
    // The final name that is a second name of this very file (a cut between a link and an
    // unlink) goes, and keeps nothing from being finished.
    std::optional<second_name> second = second_names.of(index);
    if (options.camera_names && !camera_finished(record) && !(second && second->removed != record.name))
      continue;
    if (second) {
      planned.second_names.push_back(*second);
      if (second->removed == record.name)
        continue;
    }
    if (!is_sidecar(parts)) {
      if (options.camera_names) {
        claim_camera_stems(run, record, videos.size());
      } else {
        claim(run, final_key(record, file_role::thumbnail, parts), videos.size());
        claim(run, final_key(record, file_role::proxy, parts), videos.size());
      }
      videos.push_back({index, parts, finished_name(parts)});
      continue;
    }
    claims.push_back({index, options.camera_names ? chapter_key(record, parts.role, stem_of(parts))
                                                  : final_key(record, parts.role, parts)});
  }
  // The videos that stand under the names the run gives already.
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    const name_parts &parts = record.parts;
    if (is_sidecar(parts))
      continue;
    if (options.camera_names && parts.kind == name_kind::camera && !parts.short_final)
      claim(standing, chapter_key(record, file_role::video, chapter_stem_of(parts)), index);
    else if (!options.camera_names && parts.kind == name_kind::final_name)
      claim(standing, final_key(record, file_role::video, parts), index);
    else if (!options.camera_names && parts.kind == name_kind::camera && parts.short_final)
      claim(standing, final_key(record, file_role::video, as_short_final(parts)), index);
  }
  sidecar_pairing pairing = pair_sidecars(
      files, claims, files_of(videos), run, standing,
      options.camera_names ? by_chapter_stems(files) : standing_keys([&files](std::size_t sidecar) {
        return std::array<std::optional<pairing_key>, 2>{
            final_key(files[sidecar], file_role::video, files[sidecar].parts)};
      }),
      nullptr, planned.notes);
  auto own_name = [&](std::size_t, std::size_t sidecar) { return finished_name(files[sidecar].parts); };
  planned.jobs = assemble(
      files, videos, pairing,
      [&](const planned_video &, std::size_t sidecar) { return own_name(0, sidecar); }, own_name);
  // The file is under its temporary name already: it needs no other, and draws nothing.
  for (rename_job &job : planned.jobs) {
    job.temp_name = job.old_name;
    job.under_temporary_name = true;
  }
  return planned;
}

plan camera_names_plan(disk &disk, const file_list &files, const run_options &options) {
  plan planned;
  auto takes = [&](const name_parts &parts) {
    return parts.kind == name_kind::final_name && camera_writes(parts) &&
           (options.sidecars || !is_sidecar(parts));
  };
  // The recordings of an older camera: its PR file is in the folder, under either name.
  std::set<std::pair<const folder_path *, std::array<char16_t, 4>>> older_recordings;
  for (const found_file_record &record : files) {
    const name_parts &parts = record.parts;
    if (!is_sidecar(parts) && is_first_of_older_camera(parts) && !is_hevc(parts) &&
        (parts.kind == name_kind::final_name ||
         (parts.kind == name_kind::camera && parts.codec_letter == u'O')))
      older_recordings.emplace(record.folder.get(), parts.recording);
  }
  std::set<std::pair<const folder_path *, text>> names = upper_cased_names(files);
  std::set<std::pair<const folder_path *, text>> planned_names;
  // A camera name that stands in the folder, or that an earlier job takes, leaves the file
  // as it is: found now, no temporary name is ever left behind for it.
  auto free_name = [&](std::size_t index, const text &camera) {
    text upper = camera;
    for (char16_t &unit : upper)
      unit = upper_char(unit);
    std::pair<const folder_path *, text> key{files[index].folder.get(), upper};
    if (names.count(key) || !planned_names.insert(key).second) {
      planned.left.push_back({index, left_out_reason::camera_name_taken, file_failure::none, camera});
      return false;
    }
    return true;
  };

  second_name_search second_names(disk, files, direction::to_camera_names, false, name_kind::final_name);
  std::vector<planned_video> videos;
  std::vector<sidecar_claim> claims;
  owner_map run;
  owner_map standing;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    const name_parts &parts = record.parts;
    if (parts.kind == name_kind::camera && !is_sidecar(parts) && !parts.short_final)
      claim(standing, chapter_key(record, file_role::video, chapter_stem_of(parts)), index);
    if (!takes(parts))
      continue;
    if (std::optional<second_name> second = second_names.of(index)) {
      planned.second_names.push_back(*second);
      if (second->removed == record.name)
        continue;
    }
    if (is_sidecar(parts)) {
      claims.push_back({index, final_key(record, parts.role, parts)});
      continue;
    }
    bool older = !is_hevc(parts) && !is_first_of_older_camera(parts) &&
                 older_recordings.count({record.folder.get(), parts.recording});
    if (!is_hevc(parts) && !is_first_of_older_camera(parts) && !older) {
      // No PR file to tell: the firmware does, read as -t reads it.
      video_header header;
      file_failure why = file_failure::none;
      if (read_header_of(disk, record, header, why) == no_time::unreadable) {
        planned.left.push_back({index, left_out_reason::unreadable, why, {}});
        claim(run, final_key(record, file_role::thumbnail, parts), no_job);
        claim(run, final_key(record, file_role::proxy, parts), no_job);
        continue;
      }
      older = firmware_of_older_camera(header.firmware);
    }
    text camera = camera_name_of(parts, older);
    std::size_t video = free_name(index, camera) ? videos.size() : no_job;
    claim(run, final_key(record, file_role::thumbnail, parts), video);
    claim(run, final_key(record, file_role::proxy, parts), video);
    if (video != no_job)
      videos.push_back({index, parts, camera, older});
  }
  for (const found_file_record &record : files) {
    if (record.parts.kind != name_kind::camera || !is_sidecar(record.parts))
      continue;
    for (const std::optional<name_stem> &stem : chapter_stems_of_sidecar(record.parts)) {
      if (owner *video = stem ? standing.find(chapter_key(record, file_role::video, *stem)) : nullptr)
        video->has[static_cast<int>(record.parts.role)] = true;
    }
  }
  sidecar_pairing pairing = pair_sidecars(
      files, claims, files_of(videos), run, standing,
      [&files](std::size_t sidecar) {
        return std::array<std::optional<pairing_key>, 2>{
            chapter_key(files[sidecar], file_role::video, chapter_stem_of(files[sidecar].parts))};
      },
      nullptr, planned.notes);
  // A sidecar whose own camera name is taken stays, and so does its place beside the video.
  for (std::size_t video = 0; video < videos.size(); ++video) {
    std::vector<std::size_t> &sidecars = pairing.of_videos[video];
    sidecars.erase(std::remove_if(sidecars.begin(), sidecars.end(),
                                  [&](std::size_t sidecar) {
                                    return !free_name(sidecar,
                                                      camera_name_of(with_role(videos[video].target,
                                                                               files[sidecar].parts.role),
                                                                     videos[video].older));
                                  }),
                   sidecars.end());
  }
  auto beside_camera = [&](std::size_t video, std::size_t sidecar) {
    const name_parts &camera = files[video].parts;
    bool older = camera.codec_letter == u'O' || camera.codec_letter == u'P';
    return camera_name_of(with_role(final_parts_of(camera, name_form::plain, -1), files[sidecar].parts.role),
                          older);
  };
  for (std::size_t index = 0; index < files.size(); ++index)
    if (pairing.beside[index] != no_job && !free_name(index, beside_camera(pairing.beside[index], index)))
      pairing.beside[index] = no_job;
  planned.jobs = assemble(
      files, videos, pairing,
      [&](const planned_video &video, std::size_t sidecar) {
        return camera_name_of(with_role(video.target, files[sidecar].parts.role), video.older);
      },
      beside_camera);
  return planned;
}

planner planner_for(const run_options &options) {
  if (options.finish)
    return finishing_plan;
  return options.camera_names ? camera_names_plan : renaming_plan;
}

void print_plan_notes(const plan &planned, const file_list &files, bool verbose) {
  auto shown = [&](std::size_t index) {
    return from_outside(join_path(files[index].folder->shown, files[index].name));
  };
  for (const left_out &left : planned.left) {
    if (left.reason == left_out_reason::unreadable)
      print_line(fill(fixed_text::unreadable_chapter, {shown(left.file), failure_text(left.failure)}));
    else
      print_line(fill(fixed_text::camera_name_taken, {shown(left.file), from_outside(left.other)}));
  }
  if (!verbose)
    return;
  print_recording_times(planned.times, files);
  for (const sidecar_note &note : planned.notes) {
    std::u16string_view line = note.fate == sidecar_fate::no_video     ? fixed_text::sidecar_without_video
                               : note.fate == sidecar_fate::two_videos ? fixed_text::sidecar_of_two_videos
                                                                       : fixed_text::sidecar_already_there;
    print_line(fill(line, {shown(note.file)}));
  }
}
