#include "sorter/plan.h"

#include "sorter/modes.h"

#include <algorithm>
#include <unordered_map>

namespace {

bool is_sidecar(const name_parts &parts) { return parts.role != file_role::video; }

// Second names: a rename cut between its link and its unlink leaves one file under two
// names of its chapter. The name further along in the mode's direction stays.
class second_name_search {
public:
  second_name_search(class disk &the_disk, const file_list &all, const class mode &run_mode)
      : disk(the_disk), files(all), mode(run_mode),
        taken(run_mode.finishes() ? stage::between : stage::start) {
    for (std::size_t index = 0; index < files.size(); ++index) {
      stage at = mode.stage_of(files[index].parts);
      if (at == stage::none || at == taken)
        continue;
      for (const std::optional<name_stem> &stem : mode.chapter_stems(files[index].parts))
        if (stem)
          others[chapter_key(files[index], files[index].parts.role, *stem)].push_back(index);
    }
  }

  // The second name of the file a run would take, when another name of its chapter is the
  // same file: which of the two goes.
  std::optional<second_name> of(std::size_t file) {
    const found_file_record &record = files[file];
    if (others.empty())
      return std::nullopt;
    for (const std::optional<name_stem> &stem : mode.chapter_stems(record.parts)) {
      auto found = stem ? others.find(chapter_key(record, record.parts.role, *stem)) : others.end();
      if (found == others.end())
        continue;
      for (std::size_t other : found->second) {
        const found_file_record &there = files[other];
        stage along = mode.stage_of(there.parts);
        if (!disk.same_file(join_path(record.folder->opened, record.name),
                            join_path(there.folder->opened, there.name)))
          continue;
        if (along > taken)
          return second_name{record.folder, record.name, there.name, record.facts};
        return second_name{record.folder, there.name, record.name, there.facts};
      }
    }
    return std::nullopt;
  }

private:
  class disk &disk;
  const file_list &files;
  const class mode &mode;
  stage taken;
  std::unordered_map<pairing_key, std::vector<std::size_t>, pairing_key_hash> others; // names at other stages
};

// A video of the run, and the name it is to have.
struct planned_video {
  std::size_t file;
  video_target target;
};

rename_job job_for(const found_file_record &record, std::size_t file, text name) {
  rename_job job;
  job.folder = record.folder;
  job.file = file;
  job.old_name = record.name;
  job.final_name = std::move(name);
  job.scanned = record.facts;
  return job;
}

// The jobs in file-list order: each video with its sidecars right after it; a sidecar that
// joins a standing video where it stands itself.
job_list assemble(const file_list &files, std::vector<planned_video> &videos, const sidecar_pairing &pairing,
                  mode &mode, plan &planned) {
  job_list jobs;
  jobs.reserve(videos.size());
  std::vector<std::size_t> video_of(files.size(), no_job);
  for (std::size_t video = 0; video < videos.size(); ++video)
    video_of[videos[video].file] = video;
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (pairing.beside[index] != no_job)
      if (std::optional<text> name = mode.beside_name(pairing.beside[index], index, planned))
        jobs.push_back(job_for(files[index], index, std::move(*name)));
    std::size_t video = video_of[index];
    if (video == no_job)
      continue;
    std::size_t video_job = jobs.size();
    jobs.push_back(job_for(files[index], index, videos[video].target.name));
    for (std::size_t sidecar : pairing.of_videos[video]) {
      if (std::optional<text> name = mode.sidecar_name(index, videos[video].target, sidecar, planned)) {
        jobs.push_back(job_for(files[sidecar], sidecar, std::move(*name)));
        jobs.back().video = video_job;
      }
    }
  }
  return jobs;
}

} // namespace

bool plan_needs_file_times(const run_options &options) {
  static const file_list no_files;
  return mode_for(no_files, options)->needs_file_times();
}

plan make_plan(disk &disk, const file_list &files, const run_options &options) {
  std::unique_ptr<mode> mode = mode_for(files, options);
  plan planned;
  std::vector<std::size_t> videos;
  std::vector<std::size_t> sidecars;
  for (std::size_t index = 0; index < files.size(); ++index)
    if (mode->takes(files[index], index, planned.examined))
      (is_sidecar(files[index].parts) ? sidecars : videos).push_back(index);
  mode->read_facts(disk, files, videos, planned);

  second_name_search seconds(disk, files, *mode);
  // A name that is a second link of a file standing under another name of its chapter:
  // whether the file is to be taken under this name (the other goes), or not at all.
  auto takes_under_this_name = [&](std::size_t index) {
    const found_file_record &record = files[index];
    std::optional<second_name> second = seconds.of(index);
    bool this_stays = second && second->removed != record.name;
    if (mode->yields(record) && !this_stays)
      return false;
    if (second)
      planned.second_names.push_back(*second);
    return !second || this_stays;
  };

  std::vector<planned_video> run_videos;
  owner_map run;
  if (!sidecars.empty())
    run.reserve(2 * videos.size());
  for (std::size_t index : videos) {
    const found_file_record &record = files[index];
    std::size_t owner = no_job; // a video that keeps its name keeps its sidecars too
    if (!mode->held(planned, record)) {
      if (!takes_under_this_name(index))
        continue;
      if (std::optional<video_target> target = mode->video_name(disk, index, planned)) {
        owner = run_videos.size();
        run_videos.push_back({index, std::move(*target)});
      }
    }
    if (!sidecars.empty())
      for (file_role role : {file_role::thumbnail, file_role::proxy})
        claim(run, exact_key(record.folder.get(), record.parts, role), owner);
  }

  std::vector<sidecar_claim> claims;
  owner_map standing; // the videos where the run ends, which a sidecar may join
  if (!sidecars.empty()) {
    for (std::size_t index = 0; index < files.size(); ++index)
      if (!is_sidecar(files[index].parts) && mode->stage_of(files[index].parts) == stage::end)
        for (const std::optional<pairing_key> &key : mode->standing_keys(files[index]))
          if (key)
            claim(standing, *key, index);
    for (std::size_t index = 0; index < files.size() && mode->counts_standing_sidecars(); ++index) {
      const found_file_record &record = files[index];
      if (is_sidecar(record.parts) && mode->stage_of(record.parts) == stage::end)
        for (const std::optional<pairing_key> &key : mode->standing_keys(record))
          if (key && standing.find(*key))
            standing[*key].has[static_cast<int>(record.parts.role)] = true;
    }
    for (std::size_t index : sidecars)
      if (takes_under_this_name(index))
        claims.push_back(
            {index, exact_key(files[index].folder.get(), files[index].parts, files[index].parts.role)});
  }
  sidecar_pairing pairing = pair_sidecars(
      files, claims, run_videos.size(), run, standing,
      [&](std::size_t sidecar) { return mode->standing_keys(files[sidecar]); }, planned.notes);
  planned.jobs = assemble(files, run_videos, pairing, *mode, planned);
  // Finishing, each file is under its temporary name already: it needs no other.
  if (mode->finishes()) {
    for (rename_job &job : planned.jobs) {
      job.temp_name = job.old_name;
      job.under_temporary_name = true;
    }
  }
  std::stable_sort(
      planned.notes.begin(), planned.notes.end(),
      [](const sidecar_note &first, const sidecar_note &second) { return first.file < second.file; });
  return planned;
}
