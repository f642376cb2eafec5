#include "sorter/eligibility.h"

#include "runtime/console.h"
#include "runtime/listing.h"
#include "sorter/run_state.h"

#include <array>
#include <unordered_map>
#include <vector>

namespace {

// 2023-05-06 15:59:02 becomes 2023-05-06_15-59-02.
constexpr std::u16string_view date_prefix_mask = u"%yyyy-%mm-%dd_%hh-%ii-%ss";
// Where the date-prefix mask writes digits: "dddd-dd-dd_dd-dd-dd", then "_".
constexpr std::u16string_view date_prefix_shape = u"####-##-##_##-##-##_";

bool is_digit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

bool upper_equals(std::u16string_view name, std::u16string_view upper) {
  if (name.size() != upper.size())
    return false;
  for (std::size_t k = 0; k < name.size(); ++k)
    if (upper_char(name[k]) != upper[k])
      return false;
  return true;
}

bool is_final_extension(std::u16string_view extension) {
  return extension == u".mp4" || extension == u".lrv" || extension == u".thm";
}

// A final name of the long form, without its date: G-HEVC-rrrr-cc.ext or G-AVC-rrrr-cc.ext.
bool is_long_final_name(std::u16string_view name) {
  for (std::u16string_view codec : {std::u16string_view(u"G-HEVC-"), std::u16string_view(u"G-AVC-")}) {
    if (name.size() == codec.size() + 11 && name.substr(0, codec.size()) == codec &&
        name[codec.size() + 4] == u'-' && is_final_extension(name.substr(codec.size() + 7)))
      return true;
  }
  return false;
}

// The folder and the upper-cased first eight characters of a name: what pairs a sidecar
// with its video. The records of one folder share one directory text, so its address
// stands for the folder and no key needs a copy of the path.
struct stem_key {
  const text *directory;
  std::array<char16_t, 8> stem;
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

stem_key key_of(const found_file_record &record) {
  stem_key key{record.directory.get(), {}};
  for (std::size_t k = 0; k < key.stem.size(); ++k)
    key.stem[k] = upper_char(record.name[k]);
  return key;
}

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

rename_job job_of(const found_file_record &record) {
  rename_job job;
  job.directory = record.directory;
  job.old_name = record.name;
  if (options.finish)
    return job;
  job.codec_letter = text(1, upper_char(record.name[1]));
  job.chapter = record.name.substr(2, 2);
  job.recording_number = record.name.substr(4, 4);
  // The date only ever reaches a name through -d.
  if (options.date_prefix)
    job.modified_text = format_date(date_prefix_mask, record.modified);
  return job;
}

// With -l: the sidecars of each video job, in file-list order, found through two maps from
// folder and stem to the video (THM: the video's own stem; LRV: that stem or the stem with
// "L" for the codec letter), so that the pairing stays one linear pass.
std::vector<std::vector<std::size_t>> find_sidecars(const std::vector<std::size_t> &video_records) {
  owner_map thm_owners;
  owner_map lrv_owners;
  thm_owners.reserve(video_records.size());
  lrv_owners.reserve(video_records.size() * 2);
  for (std::size_t job = 0; job < video_records.size(); ++job) {
    stem_key key = key_of(file_list[video_records[job]]);
    claim(thm_owners, key, job);
    claim(lrv_owners, key, job);
    key.stem[1] = u'L';
    claim(lrv_owners, key, job);
  }
  std::vector<std::vector<std::size_t>> sidecars(video_records.size());
  for (std::size_t index = 0; index < file_list.size(); ++index) {
    const found_file_record &record = file_list[index];
    if (record.eligible)
      continue;
    text extension = sidecar_extension(record.name);
    if (extension.empty())
      continue;
    const auto &owners = extension == u".thm" ? thm_owners : lrv_owners;
    auto found = owners.find(key_of(record));
    if (found == owners.end()) {
      verbose_line(u"    > Sidecar " + from_outside(record.name) + u" left alone: no video of its own");
    } else if (found->second.ambiguous) {
      verbose_line(u"    > Sidecar " + from_outside(record.name) +
                   u" left alone: it would belong to more than one video");
    } else {
      sidecars[found->second.job].push_back(index);
    }
  }
  return sidecars;
}

} // namespace

bool eligibility_test(std::u16string_view name) {
  return name.size() == 12 && upper_char(name[0]) == u'G' && upper_equals(name.substr(9), u"MP4");
}

bool temporary_name_test(std::u16string_view name) {
  if (name.size() <= temporary_prefix_length || name[0] == u'0' || name[4] != u'_')
    return false;
  for (std::size_t k = 0; k < 4; ++k)
    if (!is_digit(name[k]))
      return false;
  std::u16string_view final_name = name.substr(temporary_prefix_length);
  // An 8.3 name (-o) never carries a date.
  if (final_name.size() == 12 && final_name[0] == u'G' && is_final_extension(final_name.substr(8)))
    return true;
  if (final_name.size() > date_prefix_shape.size()) {
    bool dated = true;
    for (std::size_t k = 0; k < date_prefix_shape.size() && dated; ++k)
      dated = date_prefix_shape[k] == u'#' ? is_digit(final_name[k]) : final_name[k] == date_prefix_shape[k];
    if (dated)
      final_name.remove_prefix(date_prefix_shape.size());
  }
  return is_long_final_name(final_name);
}

text sidecar_extension(std::u16string_view name) {
  if (name.size() != 12 || name[8] != u'.')
    return {};
  if (upper_equals(name.substr(9), u"LRV"))
    return u".lrv";
  if (upper_equals(name.substr(9), u"THM"))
    return u".thm";
  return {};
}

std::int64_t eligibility_pass() {
  if (file_list.empty())
    return 0;
  text total = decimal_text(static_cast<std::int64_t>(file_list.size()));
  verbose_line(u"  Found " + total + u" files.\n\r");
  std::int64_t count = 0;
  for (found_file_record &record : file_list) {
    if (options.verbose) // tested here so that a quiet run builds no text per file
      print_line(u"  > Examining " + from_outside(join_path(*record.directory, record.name)));
    record.eligible = options.finish ? temporary_name_test(record.name) : eligibility_test(record.name);
    if (record.eligible) {
      ++count;
      if (options.verbose)
        print_line(u"    > Match " + from_outside(record.name));
    }
  }
  if (options.verbose) {
    print_line();
    print_line(u"  " + total + u" files examined, " + decimal_text(count) + u" eligible files found");
  }
  return count;
}

void job_building_pass() {
  std::vector<rename_job> videos;
  std::vector<std::size_t> video_records;
  for (std::size_t index = 0; index < file_list.size(); ++index) {
    if (!file_list[index].eligible)
      continue;
    videos.push_back(job_of(file_list[index]));
    video_records.push_back(index);
  }
  if (!options.sidecars || options.finish) {
    job_list = std::move(videos);
    return;
  }
  std::vector<std::vector<std::size_t>> sidecars = find_sidecars(video_records);
  std::size_t total = videos.size();
  for (const std::vector<std::size_t> &of_one : sidecars)
    total += of_one.size();
  job_list.reserve(total);
  for (std::size_t job = 0; job < videos.size(); ++job) {
    job_list.push_back(std::move(videos[job]));
    // Room for every job was made above: the video's place stays where it is.
    const rename_job &video = job_list.back();
    for (std::size_t index : sidecars[job]) {
      // A sidecar takes its video's pieces, date included, and keeps its own extension.
      rename_job sidecar = video;
      sidecar.old_name = file_list[index].name;
      sidecar.extension = sidecar_extension(sidecar.old_name);
      job_list.push_back(std::move(sidecar));
    }
  }
}
