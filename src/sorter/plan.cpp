#include "sorter/plan.h"

#include "runtime/console.h"
#include "sorter/camera_names.h"
#include "sorter/fixed_texts.h"
#include "sorter/names.h"

#include <map>
#include <set>
#include <unordered_map>

namespace {

// The folder and the stem of a name: what pairs a sidecar with its video. The records of
// one folder share one directory text, so its address stands for the folder and no key
// needs a copy of the path.
struct stem_key {
  const text *directory;
  name_stem stem;
  bool operator==(const stem_key &) const = default;
};

struct stem_hash {
  std::size_t operator()(const stem_key &key) const {
    std::size_t hash = std::hash<const text *>()(key.directory);
    for (char16_t unit : key.stem)
      hash = hash * 1000003 + unit;
    return hash;
  }
};

// Which video job a stem belongs to; ambiguous when more than one video of the folder
// has it, and then the sidecar belongs to none.
struct owner {
  std::size_t job = 0;
  bool ambiguous = false;
};

using owner_map = std::unordered_map<stem_key, owner, stem_hash>;

void claim(owner_map &owners, const stem_key &key, std::size_t job) {
  auto [found, added] = owners.try_emplace(key, owner{job, false});
  if (!added && found->second.job != job)
    found->second.ambiguous = true;
}

// A job for the file of a record, with the pieces its new names are made of.
rename_job job_with_pieces(const found_file_record &record, chapter_parts pieces) {
  rename_job job;
  job.directory = record.directory;
  job.old_name = record.name;
  job.codec_letter = std::move(pieces.codec_letter);
  job.chapter = std::move(pieces.chapter);
  job.recording_number = std::move(pieces.recording_number);
  return job;
}

rename_job job_of(const found_file_record &record, const run_options &options) {
  rename_job job = job_with_pieces(record, chapter_parts_of(record.name));
  // The date only ever reaches a name through -d.
  if (options.date_prefix)
    job.modified_text = date_text_of(record.modified);
  return job;
}

// A folder's videos under their final names, by the stem their sidecars know them by,
// and whether each has its thumbnail and proxy under final names already.
struct final_video {
  std::size_t record = no_job; // the video's file record, when there is one
  bool ambiguous = false;      // two videos of one recording and chapter (dated and not)
  bool has_thm = false;
  bool has_lrv = false;
};

using final_video_map = std::unordered_map<stem_key, final_video, stem_hash>;

final_video_map final_videos_of(const file_list &files) {
  final_video_map videos;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    std::optional<final_name_parts> parts = parse_final_name(record.name);
    // An 8.3 name is a chapter file's name too, and is renamed as one.
    if (!parts || parts->form == name_form::short_83)
      continue;
    final_video &video = videos[{record.directory.get(), stem_of_final(*parts)}];
    if (parts->extension == u".thm") {
      video.has_thm = true;
    } else if (parts->extension == u".lrv") {
      video.has_lrv = true;
    } else {
      video.ambiguous = video.record != no_job;
      video.record = index;
    }
  }
  return videos;
}

// The sidecars of each video, in file-list order. A sidecar belongs to the video of its
// folder whose stem it has (a thumbnail: the video's own stem; a proxy: that stem or the
// proxy stem), found through maps from folder and stem to the video, so that the pairing
// stays one linear pass. One whose video is no longer under its camera name (a run cut
// short, or one without -l) belongs to the video under the final name of its recording
// and chapter. Sidecars that belong to no video, or to two, are noted.
struct sidecar_pairing {
  std::vector<std::vector<std::size_t>> of_videos; // by video, as video_records numbers them
  std::unordered_map<std::size_t, std::vector<std::size_t>> of_final_videos; // by file record
};

sidecar_pairing find_sidecars(const file_list &files, const std::vector<std::size_t> &video_records,
                              std::vector<sidecar_note> &notes) {
  owner_map thm_owners;
  owner_map lrv_owners;
  thm_owners.reserve(video_records.size());
  lrv_owners.reserve(video_records.size() * 2);
  for (std::size_t video = 0; video < video_records.size(); ++video) {
    const found_file_record &record = files[video_records[video]];
    stem_key key{record.directory.get(), stem_of(record.name)};
    claim(thm_owners, key, video);
    claim(lrv_owners, key, video);
    claim(lrv_owners, {key.directory, proxy_stem_of(key.stem)}, video);
  }
  final_video_map final_videos = final_videos_of(files);
  sidecar_pairing pairing{std::vector<std::vector<std::size_t>>(video_records.size()), {}};
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    if (record.eligible)
      continue;
    text extension = sidecar_extension(record.name);
    if (extension.empty())
      continue;
    const owner_map &owners = extension == u".thm" ? thm_owners : lrv_owners;
    auto found = owners.find({record.directory.get(), stem_of(record.name)});
    if (found != owners.end()) {
      if (found->second.ambiguous)
        notes.push_back({index, sidecar_fate::two_videos});
      else
        pairing.of_videos[found->second.job].push_back(index);
      continue;
    }
    const final_video *owner = nullptr;
    bool ambiguous = false;
    for (const std::optional<name_stem> &stem : final_stems_of_sidecar(record.name)) {
      auto video = stem ? final_videos.find({record.directory.get(), *stem}) : final_videos.end();
      if (video == final_videos.end() || video->second.record == no_job)
        continue;
      ambiguous = ambiguous || owner || video->second.ambiguous;
      owner = &video->second;
    }
    if (!owner)
      notes.push_back({index, sidecar_fate::no_video});
    else if (ambiguous)
      notes.push_back({index, sidecar_fate::two_videos});
    else if (extension == u".thm" ? owner->has_thm : owner->has_lrv)
      notes.push_back({index, sidecar_fate::video_has_one});
    else
      pairing.of_final_videos[owner->record].push_back(index);
  }
  return pairing;
}

// A job for a sidecar: its video's pieces, date included, and its own extension.
rename_job sidecar_job(const rename_job &video, const found_file_record &sidecar) {
  rename_job job = video;
  job.old_name = sidecar.name;
  job.extension = sidecar_extension(sidecar.name);
  return job;
}

// A job whose final name is known already, made of its parts.
rename_job job_of_final(const found_file_record &record, final_name_parts parts) {
  text name = final_name(parts);
  rename_job job = job_with_pieces(record, std::move(parts.pieces));
  job.final_name = std::move(name);
  job.modified_text = std::move(parts.date_text);
  job.extension = std::move(parts.extension);
  return job;
}

// A job for a sidecar of a video already under its final name: the video's final name as
// it stands, with the sidecar's own extension.
rename_job sidecar_of_final_job(const found_file_record &video, const found_file_record &sidecar) {
  final_name_parts parts = *parse_final_name(video.name);
  parts.extension = sidecar_extension(sidecar.name);
  return job_of_final(sidecar, std::move(parts));
}

// One job per eligible record; with -l each video's sidecars right after it, and the
// sidecars of a video under its final name where that video stands in the file list.
plan job_building_pass(const file_list &files, const run_options &options) {
  plan planned;
  std::vector<std::size_t> video_records;
  for (std::size_t index = 0; index < files.size(); ++index)
    if (files[index].eligible)
      video_records.push_back(index);
  if (!options.sidecars) {
    planned.jobs.reserve(video_records.size());
    for (std::size_t index : video_records)
      planned.jobs.push_back(job_of(files[index], options));
    return planned;
  }
  sidecar_pairing pairing = find_sidecars(files, video_records, planned.notes);
  std::size_t video = 0;
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (files[index].eligible) {
      std::size_t video_job = planned.jobs.size();
      planned.jobs.push_back(job_of(files[index], options));
      for (std::size_t sidecar : pairing.of_videos[video++]) {
        planned.jobs.push_back(sidecar_job(planned.jobs[video_job], files[sidecar]));
        planned.jobs.back().video = video_job;
      }
      continue;
    }
    auto of_final = pairing.of_final_videos.find(index);
    if (of_final == pairing.of_final_videos.end())
      continue;
    for (std::size_t sidecar : of_final->second)
      planned.jobs.push_back(sidecar_of_final_job(files[index], files[sidecar]));
  }
  return planned;
}

} // namespace

plan renaming_plan(file_list &files, const run_options &options) {
  // 8.3 names carry no date: with -o there is nothing to read.
  std::vector<recording_time> times;
  if (options.start_time && !options.short_names)
    times = date_by_recordings(files);
  plan planned = job_building_pass(files, options);
  planned.times = std::move(times);
  assign_new_names(planned.jobs, options);
  return planned;
}

plan finishing_plan(file_list &files, const run_options &) {
  // The videos under temporary names, by folder and final name, and every name there is:
  // a sidecar is finished only together with its video, or beside it.
  struct temporary_video {
    std::size_t record;
    bool ambiguous;
  };
  std::map<std::pair<const text *, text>, temporary_video> videos;
  std::set<std::pair<const text *, std::u16string_view>> names;
  std::vector<std::optional<final_name_parts>> parts(files.size());
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    names.insert({record.directory.get(), record.name});
    if (!record.eligible)
      continue;
    parts[index] = parse_temporary_name(record.name);
    if (parts[index]->extension != video_extension)
      continue;
    auto [found, added] = videos.try_emplace({record.directory.get(), final_name(*parts[index])},
                                             temporary_video{index, false});
    found->second.ambiguous = !added;
  }
  // Each sidecar follows a video under a temporary name (the one alone with its video's
  // final name), or stands beside its video under that final name already.
  std::vector<std::vector<std::size_t>> sidecars_of(files.size());
  std::vector<bool> beside_final(files.size(), false);
  plan planned;
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (!files[index].eligible || parts[index]->extension == video_extension)
      continue;
    final_name_parts video_parts = *parts[index];
    video_parts.extension = text(video_extension);
    text video_name = final_name(video_parts);
    auto video = videos.find({files[index].directory.get(), video_name});
    if (video != videos.end() && video->second.ambiguous)
      planned.notes.push_back({index, sidecar_fate::two_videos});
    else if (video != videos.end())
      sidecars_of[video->second.record].push_back(index);
    else if (names.count({files[index].directory.get(), video_name}))
      beside_final[index] = true;
    else
      planned.notes.push_back({index, sidecar_fate::no_video});
  }
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (beside_final[index])
      planned.jobs.push_back(job_of_final(files[index], *parts[index]));
    if (!files[index].eligible || parts[index]->extension != video_extension)
      continue;
    std::size_t video_job = planned.jobs.size();
    planned.jobs.push_back(job_of_final(files[index], *parts[index]));
    for (std::size_t sidecar : sidecars_of[index]) {
      planned.jobs.push_back(job_of_final(files[sidecar], *parts[sidecar]));
      planned.jobs.back().video = video_job;
    }
  }
  // The file is under its temporary name already: it needs no other, and draws nothing.
  for (rename_job &job : planned.jobs)
    job.temp_name = job.old_name;
  return planned;
}

const planner &planner_for(const run_options &options) {
  static const planner renaming{eligibility_test, renaming_plan};
  static const planner finishing{temporary_name_test, finishing_plan};
  return options.finish ? finishing : renaming;
}

void print_plan_notes(const plan &planned, const file_list &files) {
  print_recording_times(planned.times, files);
  for (const sidecar_note &note : planned.notes) {
    std::u16string_view line = note.fate == sidecar_fate::no_video     ? fixed_text::sidecar_without_video
                               : note.fate == sidecar_fate::two_videos ? fixed_text::sidecar_of_two_videos
                                                                       : fixed_text::sidecar_already_there;
    print_line(fill(line, {from_outside(files[note.file].name)}));
  }
}
