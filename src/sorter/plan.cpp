#include "sorter/plan.h"

#include "runtime/console.h"
#include "sorter/camera_names.h"
#include "sorter/fixed_texts.h"
#include "sorter/names.h"

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

rename_job job_of(const found_file_record &record, const run_options &options) {
  rename_job job;
  job.directory = record.directory;
  job.old_name = record.name;
  chapter_parts pieces = chapter_parts_of(record.name);
  job.codec_letter = std::move(pieces.codec_letter);
  job.chapter = std::move(pieces.chapter);
  job.recording_number = std::move(pieces.recording_number);
  // The date only ever reaches a name through -d.
  if (options.date_prefix)
    job.modified_text = date_text_of(record.modified);
  return job;
}

// With -l: the sidecars of each video, in file-list order, found through two maps from
// folder and stem to the video (a thumbnail: the video's own stem; a proxy: that stem or
// the proxy stem), so that the pairing stays one linear pass. Sidecars that belong to no
// video, or to two, are noted.
std::vector<std::vector<std::size_t>> find_sidecars(const file_list &files,
                                                    const std::vector<std::size_t> &video_records,
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
  std::vector<std::vector<std::size_t>> sidecars(video_records.size());
  for (std::size_t index = 0; index < files.size(); ++index) {
    const found_file_record &record = files[index];
    if (record.eligible)
      continue;
    text extension = sidecar_extension(record.name);
    if (extension.empty())
      continue;
    const owner_map &owners = extension == u".thm" ? thm_owners : lrv_owners;
    auto found = owners.find({record.directory.get(), stem_of(record.name)});
    if (found == owners.end())
      notes.push_back({index, sidecar_fate::no_video});
    else if (found->second.ambiguous)
      notes.push_back({index, sidecar_fate::two_videos});
    else
      sidecars[found->second.job].push_back(index);
  }
  return sidecars;
}

// One job per eligible record; with -l each video's sidecars right after it.
plan job_building_pass(const file_list &files, const run_options &options) {
  plan planned;
  std::vector<std::size_t> video_records;
  for (std::size_t index = 0; index < files.size(); ++index)
    if (files[index].eligible)
      video_records.push_back(index);
  std::vector<std::vector<std::size_t>> sidecars;
  std::size_t total = video_records.size();
  if (options.sidecars) {
    sidecars = find_sidecars(files, video_records, planned.notes);
    for (const std::vector<std::size_t> &of_one : sidecars)
      total += of_one.size();
  }
  planned.jobs.reserve(total);
  for (std::size_t video = 0; video < video_records.size(); ++video) {
    std::size_t video_job = planned.jobs.size();
    planned.jobs.push_back(job_of(files[video_records[video]], options));
    if (sidecars.empty())
      continue;
    for (std::size_t index : sidecars[video]) {
      // A sidecar takes its video's pieces, date included, and keeps its own extension.
      rename_job sidecar = planned.jobs[video_job];
      sidecar.old_name = files[index].name;
      sidecar.extension = sidecar_extension(sidecar.old_name);
      sidecar.video = video_job;
      planned.jobs.push_back(std::move(sidecar));
    }
  }
  return planned;
}

} // namespace

plan renaming_plan(const file_list &files, const run_options &options) {
  plan planned = job_building_pass(files, options);
  assign_new_names(planned.jobs, options);
  return planned;
}

plan finishing_plan(const file_list &files, const run_options &) {
  plan planned;
  for (const found_file_record &record : files) {
    if (!record.eligible)
      continue;
    std::optional<final_name_parts> parts = parse_temporary_name(record.name);
    rename_job job;
    job.directory = record.directory;
    job.old_name = record.name;
    // The file is under its temporary name already: it needs no other, and draws nothing.
    job.temp_name = record.name;
    job.final_name = final_name(*parts);
    job.codec_letter = std::move(parts->pieces.codec_letter);
    job.chapter = std::move(parts->pieces.chapter);
    job.recording_number = std::move(parts->pieces.recording_number);
    job.modified_text = std::move(parts->date_text);
    job.extension = std::move(parts->extension);
    planned.jobs.push_back(std::move(job));
  }
  return planned;
}

const planner &planner_for(const run_options &options) {
  static const planner renaming{eligibility_test, renaming_plan};
  static const planner finishing{temporary_name_test, finishing_plan};
  return options.finish ? finishing : renaming;
}

void print_plan_notes(const plan &planned, const file_list &files) {
  for (const sidecar_note &note : planned.notes) {
    std::u16string_view line = note.fate == sidecar_fate::no_video ? fixed_text::sidecar_without_video
                                                                   : fixed_text::sidecar_of_two_videos;
    print_line(fill(line, {from_outside(files[note.file].name)}));
  }
}
