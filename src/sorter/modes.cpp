#include "sorter/modes.h"

#include "sorter/camera_names.h"
#include "sorter/dating.h"

#include <set>
#include <tuple>
#include <utility>

namespace {

bool is_sidecar(const name_parts &parts) { return parts.role != file_role::video; }

name_parts with_role(name_parts parts, file_role role) {
  parts.role = role;
  return parts;
}

not_taken refusal_note(prefix_refusal refused) {
  switch (refused) {
  case prefix_refusal::not_upper_case:
    return not_taken::prefix_not_upper;
  case prefix_refusal::temporary:
    return not_taken::prefix_temporary;
  case prefix_refusal::dated:
    return not_taken::prefix_dated;
  default:
    return not_taken::prefix_characters;
  }
}

// Renaming and -f move names towards final names: camera name, temporary name, final name
// (with -o an 8.3 name the program gives is one).
stage towards_final_names(const name_parts &parts, bool short_finals) {
  if (parts.kind == name_kind::final_name || (short_finals && parts.short_final))
    return stage::end;
  if (parts.kind == name_kind::temporary)
    return stage::between;
  return parts.kind == name_kind::camera ? stage::start : stage::none;
}

// -c and -f -c move them back: final name, -c's temporary name, camera name (an 8.3 name
// is no camera name here: -c never gives one).
stage towards_camera_names(const name_parts &parts) {
  switch (parts.kind) {
  case name_kind::final_name:
    return stage::start;
  case name_kind::camera_temporary:
    return stage::between;
  case name_kind::camera:
    return parts.short_final ? stage::none : stage::end;
  default:
    return stage::none;
  }
}

// Camera names to final names, each with its date (-d, -t) or in the 8.3 form (-o).
class renaming final : public mode {
public:
  renaming(const file_list &files, const run_options &options) : mode(files, options, options.short_names) {}

  bool takes_name(const found_file_record &record, std::size_t file,
                  std::vector<examination_note> &notes) const override {
    const name_parts &parts = record.parts;
    if (parts.kind == name_kind::cut_character && !is_sidecar(parts))
      notes.push_back({file, not_taken::cut_character});
    if (options.all && parts.refused != prefix_refusal::none)
      notes.push_back({file, refusal_note(parts.refused)});
    if (parts.kind != name_kind::camera || (is_sidecar(parts) && !options.sidecars))
      return false;
    // A second -o run leaves the 8.3 names of the first alone.
    if (options.short_names && parts.short_final) {
      notes.push_back({file, not_taken::short_name});
      return false;
    }
    // An 8.3 name has no room for a prefix, and a 360 video's would have a camera name's
    // shape again: such a video stays, and its sidecars with it (held).
    if (options.short_names && needs_all(parts) && !is_sidecar(parts))
      notes.push_back({file, parts.spherical ? not_taken::spherical_short : not_taken::prefix_short});
    return true;
  }
  stage stage_of_name(const name_parts &parts) const override {
    return towards_final_names(parts, reads_short_finals);
  }
  // -t reads a file's last change only where its recording has no start time.
  bool needs_file_times() const override {
    return options.date_prefix && !options.start_time && !options.short_names;
  }
  void read_facts(disk &disk, const file_list &all, const std::vector<std::size_t> &videos,
                  plan &planned) override {
    // 8.3 names carry no date: with -o there is nothing to read.
    if (!options.start_time || options.short_names)
      return;
    planned.times = date_recordings(disk, all, videos);
    for (const recording_reading &reading : planned.times.recordings)
      if (reading.unreadable != no_job)
        planned.left.push_back({reading.unreadable, left_out_reason::unreadable, reading.failure, {}});
  }
  bool held(const plan &planned, const found_file_record &record) const override {
    const recording_reading *reading = reading_of(planned.times, record);
    return (options.short_names && needs_all(record.parts)) || (reading && reading->unreadable != no_job);
  }
  std::optional<video_target> video_name(disk &disk, std::size_t file, plan &planned) override {
    name_parts target = final_parts_for(files[file], options, planned.times, disk);
    return video_target{target, final_name(target)};
  }
  std::optional<text> sidecar_name(std::size_t, const video_target &target, std::size_t sidecar,
                                   plan &) override {
    return final_name(with_role(target.parts, files[sidecar].parts.role));
  }
  std::optional<text> beside_name(std::size_t video, std::size_t sidecar, plan &) override {
    const name_parts &parts = files[video].parts;
    return final_name(with_role(parts.kind == name_kind::camera ? as_short_final(parts) : parts,
                                files[sidecar].parts.role));
  }
};

// Both ways of finishing: each file is under its temporary name already, and takes the
// name that stands behind its number, a sidecar too.
class finishing_mode : public mode {
public:
  std::optional<video_target> video_name(disk &, std::size_t file, plan &) override {
    return video_target{files[file].parts, finished_name(files[file].parts)};
  }
  std::optional<text> sidecar_name(std::size_t, const video_target &, std::size_t sidecar, plan &) override {
    return finished_name(files[sidecar].parts);
  }
  std::optional<text> beside_name(std::size_t, std::size_t sidecar, plan &) override {
    return finished_name(files[sidecar].parts);
  }
  bool counts_standing_sidecars() const override { return false; }
  bool finishes() const override { return true; }

protected:
  using mode::mode;
};

// -f: the temporary names of a run cut short to the names they stand for.
class finishing final : public finishing_mode {
public:
  finishing(const file_list &files, const run_options &options)
      : finishing_mode(files, options, options.short_names) {}

  // The long temporary names; an 8.3 one only with -o, since it cannot be told from a
  // user's "2019_GREECE01.mp4". A sidecar is finished with or without -l.
  bool takes_name(const found_file_record &record, std::size_t,
                  std::vector<examination_note> &) const override {
    return record.parts.kind == name_kind::temporary &&
           (record.parts.form != name_form::short_83 || options.short_names);
  }
  stage stage_of_name(const name_parts &parts) const override {
    return towards_final_names(parts, reads_short_finals);
  }
  // A sidecar keeps the name its temporary name stands for: it joins only the video under
  // that very name, date and form.
  pairing_key_set standing_keys(const found_file_record &record) const override {
    const name_parts &parts = record.parts;
    return {exact_key(record.folder.get(), parts.kind == name_kind::camera ? as_short_final(parts) : parts,
                      file_role::video)};
  }
};

// -f -c: -c's temporary names to the camera names they stand for.
class finishing_camera_names final : public finishing_mode {
public:
  finishing_camera_names(const file_list &files, const run_options &options)
      : finishing_mode(files, options, false) {
    for (const found_file_record &record : files)
      if (record.parts.kind == name_kind::final_name)
        final_chapters.emplace(recording_of(record), record.parts.role, record.parts.chapter);
  }

  bool takes_name(const found_file_record &record, std::size_t,
                  std::vector<examination_note> &) const override {
    return record.parts.kind == name_kind::camera_temporary;
  }
  stage stage_of_name(const name_parts &parts) const override { return towards_camera_names(parts); }
  // A user's "2019_GH010124.MP4" has the shape too: such a name is taken only when no file
  // of its recording, chapter and kind (video, proxy, thumbnail) is under a final name.
  bool yields(const found_file_record &record) const override {
    return final_chapters.count({recording_of(record), record.parts.role, record.parts.chapter}) != 0;
  }

private:
  std::set<std::tuple<recording_key, file_role, std::array<char16_t, camera_name::chapter_length>>>
      final_chapters;
};

// -c: final names back to the camera names they were given from.
class camera_names final : public mode {
public:
  camera_names(const file_list &files, const run_options &options) : mode(files, options, false) {
    // A camera name is taken when a name of another letter case stands there too, as it
    // does on Windows and on a card: the folder's names are compared upper-cased.
    for (const found_file_record &record : files)
      if (record.name.size() >= camera_name::length) // a camera name, or one with a prefix
        names.emplace(record.folder.get(), upper_cased(record.name));
  }

  // Only final names made of pieces a camera writes; a sidecar only with -l.
  bool takes_name(const found_file_record &record, std::size_t,
                  std::vector<examination_note> &) const override {
    const name_parts &parts = record.parts;
    return parts.kind == name_kind::final_name && camera_writes(parts) &&
           (options.sidecars || !is_sidecar(parts));
  }
  stage stage_of_name(const name_parts &parts) const override { return towards_camera_names(parts); }
  // The camera form of each AVC recording, decided once for all its chapters: an older
  // camera's (GOPR, GP) when its PR file is in the folder under either name, else when the
  // firmware of its lowest-numbered chapter that names one is HD5 or older.
  void read_facts(disk &disk, const file_list &all, const std::vector<std::size_t> &videos,
                  plan &planned) override {
    for (const found_file_record &record : all)
      if (is_older_recordings_first_video(record.parts))
        older_recordings.insert(recording_of(record));
    // A 360 video or one with a prefix comes from a camera newer than those.
    std::vector<std::size_t> unknown;
    for (std::size_t index : videos)
      if (!is_hevc(all[index].parts) && !needs_all(all[index].parts) &&
          !older_recordings.count(recording_of(all[index])))
        unknown.push_back(index);
    firmware = read_recordings(disk, all, unknown,
                               [](std::size_t, no_time, const video_header &header, recording_reading &) {
                                 return !header.firmware.empty();
                               });
    for (const recording_reading &reading : firmware.recordings) {
      if (reading.unreadable != no_job)
        planned.left.push_back({reading.unreadable, left_out_reason::unreadable, reading.failure, {}});
      else if (firmware_of_older_camera(reading.header.firmware))
        older_recordings.insert(recording_of(all[reading.file]));
    }
  }
  bool held(const plan &, const found_file_record &record) const override {
    const recording_reading *reading = reading_of(firmware, record);
    return reading && reading->unreadable != no_job;
  }
  std::optional<video_target> video_name(disk &, std::size_t file, plan &planned) override {
    const name_parts &parts = files[file].parts;
    text camera = camera_name_of(parts, older_recordings.count(recording_of(files[file])) != 0);
    if (!free_name(file, camera, planned))
      return std::nullopt;
    return video_target{parts, camera};
  }
  std::optional<text> sidecar_name(std::size_t video, const video_target &target, std::size_t sidecar,
                                   plan &planned) override {
    bool older = older_recordings.count(recording_of(files[video])) != 0;
    return checked(sidecar, camera_name_of(with_role(target.parts, files[sidecar].parts.role), older),
                   planned);
  }
  // Beside a video that has its camera name already, the sidecar takes that name's form.
  std::optional<text> beside_name(std::size_t video, std::size_t sidecar, plan &planned) override {
    const name_parts &camera = files[video].parts;
    return checked(sidecar,
                   camera_name_of(with_role(final_parts_of(camera, name_form::plain, no_date),
                                            files[sidecar].parts.role),
                                  is_older_camera(camera)),
                   planned);
  }

private:
  std::set<recording_key> older_recordings;
  recording_readings firmware;
  std::set<std::pair<const folder_path *, text>> names;   // in the folders, upper-cased
  std::set<std::pair<const folder_path *, text>> planned; // given to a file of this run

  static text upper_cased(text name) {
    for (char16_t &unit : name)
      unit = upper_char(unit);
    return name;
  }
  // A camera name that stands in the folder, or that an earlier file of the run takes,
  // leaves the file as it is: found now, no temporary name is ever left behind for it.
  bool free_name(std::size_t file, const text &camera, plan &made) {
    std::pair<const folder_path *, text> key{files[file].folder.get(), upper_cased(camera)};
    if (names.count(key) || !planned.insert(key).second) {
      made.left.push_back({file, left_out_reason::camera_name_taken, file_failure::none, camera});
      return false;
    }
    return true;
  }
  std::optional<text> checked(std::size_t file, text camera, plan &made) {
    return free_name(file, camera, made) ? std::optional<text>(std::move(camera)) : std::nullopt;
  }
};

} // namespace

chapter_stem_set mode::chapter_stems(const name_parts &parts) const {
  if (reads_short_finals && parts.short_final)
    return {chapter_stem_of(as_short_final(parts)), std::nullopt};
  if ((parts.kind == name_kind::camera || parts.kind == name_kind::camera_temporary) && is_sidecar(parts))
    return chapter_stems_of_sidecar(parts);
  return {chapter_stem_of(parts), std::nullopt};
}

pairing_key_set mode::standing_keys(const found_file_record &record) const {
  pairing_key_set keys;
  chapter_stem_set stems = chapter_stems(record.parts);
  for (std::size_t k = 0; k < stems.size(); ++k)
    if (stems[k])
      keys[k] = chapter_key(record, file_role::video, *stems[k]);
  return keys;
}

std::unique_ptr<mode> mode_for(const file_list &files, const run_options &options) {
  if (options.finish && options.camera_names)
    return std::make_unique<finishing_camera_names>(files, options);
  if (options.finish)
    return std::make_unique<finishing>(files, options);
  if (options.camera_names)
    return std::make_unique<camera_names>(files, options);
  return std::make_unique<renaming>(files, options);
}
