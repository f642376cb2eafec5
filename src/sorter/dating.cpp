#include "sorter/dating.h"

#include "sorter/camera_names.h"

#include <algorithm>

namespace {

constexpr std::size_t firmware_generation = 3; // "HD9", "H23": enough to tell the camera
constexpr std::uint64_t seconds_1904_to_1970 = 2082844800;
constexpr date_value most_difference = 2; // seconds between TZON's time and CDAT, unremarked

date_value within_range(std::int64_t value) { return value < 0 || value > latest_date ? no_date : value; }

// A time before 1970 wraps to a negative value here, which is out of range as well.
date_value since_1970(std::uint64_t creation_time) {
  return within_range(static_cast<std::int64_t>(creation_time - seconds_1904_to_1970));
}

// The chapters of a recording in the order of their numbers, an older camera's PR (its
// first file) first (sorted stably: equal chapters stay in file-list order).
bool earlier_chapter(const found_file_record &first, const found_file_record &second) {
  bool first_pr = is_first_of_older_camera(first.parts);
  bool second_pr = is_first_of_older_camera(second.parts);
  if (first_pr != second_pr)
    return first_pr;
  return first.parts.chapter < second.parts.chapter;
}

// A video under any name of the program's or the camera's, except an 8.3 one, which
// carries no date and is a camera name besides.
bool is_dated_video(const found_file_record &record) {
  const name_parts &parts = record.parts;
  return parts.role == file_role::video &&
         (parts.kind == name_kind::camera ||
          ((parts.kind == name_kind::final_name || parts.kind == name_kind::temporary) &&
           parts.form != name_form::short_83));
}

} // namespace

bool firmware_writes_utc(std::string_view firmware) {
  auto digit = [&](std::size_t k) { return firmware[k] >= '0' && firmware[k] <= '9'; };
  return firmware.size() >= firmware_generation && firmware[0] == 'H' && digit(1) && digit(2) &&
         (firmware[1] - '0') * 10 + (firmware[2] - '0') >= 22;
}

bool firmware_of_older_camera(std::string_view firmware) {
  return firmware.size() >= firmware_generation && firmware[0] == 'H' && firmware[1] == 'D' &&
         firmware[2] >= '0' && firmware[2] <= '5';
}

start_reading start_of(const video_header &header) {
  start_reading start;
  date_value universal = since_1970(header.creation_time);
  if (header.zone && universal >= 0) {
    // The wall clock the camera showed, the same on any computer in any zone.
    start.source = time_source::camera_zone;
    start.zone = *header.zone;
    start.when = within_range(universal + std::int64_t{*header.zone} * 60);
    date_value clock =
        header.wall_clock ? within_range(static_cast<std::int64_t>(*header.wall_clock)) : no_date;
    if (start.when >= 0 && clock >= 0 &&
        std::max(start.when, clock) - std::min(start.when, clock) > most_difference)
      start.clock = clock;
  } else if (header.wall_clock && *header.wall_clock <= static_cast<std::uint64_t>(latest_date)) {
    start.source = time_source::camera_clock;
    start.when = static_cast<date_value>(*header.wall_clock);
  } else if (header.zone_never_set) {
    start.why = no_time::zone_never_set;
    return start;
  } else if (firmware_writes_utc(header.firmware)) {
    start.source = time_source::utc;
    start.when = universal < 0 ? no_date : local_date_at(universal);
  } else {
    // The camera's clock is written as if it were UTC: taken as it stands, it is the wall
    // clock the camera showed.
    start.source = time_source::camera_clock;
    start.when = universal;
  }
  if (start.when < 0) {
    start.source = time_source::last_change;
    start.why = no_time::no_creation_time;
  }
  return start;
}

recording_key recording_of(const found_file_record &record) {
  return {record.folder.get(), record.parts.prefix, chapter_stem_of(record.parts)[camera_name::codec_at],
          record.parts.recording};
}

const recording_reading *reading_of(const recording_readings &readings, const found_file_record &record) {
  auto found = readings.index.find(recording_of(record));
  return found == readings.index.end() ? nullptr : &readings.recordings[found->second];
}

recording_readings read_recordings(disk &disk, const file_list &files, const std::vector<std::size_t> &videos,
                                   const header_answers &answers) {
  recording_readings readings;
  for (std::size_t index : videos) {
    auto [found, added] = readings.index.try_emplace(recording_of(files[index]), readings.recordings.size());
    if (added)
      readings.recordings.emplace_back();
  }
  // Every chapter of those recordings, under whatever name it has now.
  std::vector<std::vector<std::size_t>> chapters(readings.recordings.size());
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (!is_dated_video(files[index]))
      continue;
    auto found = readings.index.find(recording_of(files[index]));
    if (found != readings.index.end())
      chapters[found->second].push_back(index);
  }
  for (std::size_t number = 0; number < chapters.size(); ++number) {
    std::vector<std::size_t> &recording = chapters[number];
    std::stable_sort(recording.begin(), recording.end(), [&](std::size_t first, std::size_t second) {
      return earlier_chapter(files[first], files[second]);
    });
    recording_reading &reading = readings.recordings[number];
    reading.file = recording.front();
    for (std::size_t index : recording) {
      file_failure why = file_failure::none;
      no_time result = read_header_of(disk, files[index], reading.header, why);
      if (result == no_time::unreadable) {
        reading.unreadable = index;
        reading.failure = why;
        break;
      }
      if (answers(index, result, reading.header, reading)) {
        reading.file = index;
        break;
      }
    }
  }
  return readings;
}

recording_readings date_recordings(disk &disk, const file_list &files,
                                   const std::vector<std::size_t> &videos) {
  return read_recordings(
      disk, files, videos,
      [&](std::size_t file, no_time result, const video_header &header, recording_reading &reading) {
        start_reading start = result == no_time::none ? start_of(header) : start_reading{};
        if (result != no_time::none)
          start.why = result;
        if (start.when >= 0) {
          reading.start = start;
          return true;
        }
        reading.without_answer.emplace_back(file, start.why);
        return false;
      });
}

name_parts final_parts_for(const found_file_record &record, const run_options &options,
                           const recording_readings &times, disk &disk) {
  if (options.short_names)
    return final_parts_of(record.parts, name_form::short_83, no_date);
  if (options.start_time) {
    // The recording's start, when one of its chapters gave one; else the file's last change,
    // asked for only now: most recordings have a start, and -t lists without file times.
    const recording_reading *time = reading_of(times, record);
    return final_parts_of(record.parts, name_form::dated,
                          time && time->start.when >= 0
                              ? time->start.when
                              : disk.last_write(join_path(record.folder->opened, record.name)));
  }
  // A file without a valid date has the date -1: its date part is the "_" alone.
  if (options.date_prefix)
    return final_parts_of(record.parts, name_form::dated, record.modified);
  return final_parts_of(record.parts, name_form::plain, no_date);
}
