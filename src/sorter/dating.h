#pragma once

#include "runtime/dates.h"
#include "sorter/disk.h"
#include "sorter/records.h"
#include "sorter/video_header.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

// Which date goes into a name: none, -d's last change of each file, or -t's start of each
// recording, read from the video by the clock its camera keeps.

/// Where a recording's date came from.
enum class time_source {
  camera_zone,  ///< UTC plus the zone the camera was set to (TZON)
  camera_clock, ///< the camera's own clock: CDAT, or a time written as if it were UTC
  utc,          ///< true UTC (from HERO11 on, H22), shown in this computer's time zone
  last_change   ///< no chapter had a usable time: each keeps its last-write time
};

/// Whether the firmware writes true UTC without saying its zone: "H" and two digits of 22
/// or more (HERO11 on). "HDn" (HERO5 to HERO9), "H19" to "H21" and anything else write the
/// camera's clock.
bool firmware_writes_utc(std::string_view firmware);

/// Whether the firmware is HD5 or older (HERO5 and before), whose recordings are named
/// GOPR0007.MP4, GP010007.MP4...
bool firmware_of_older_camera(std::string_view firmware);

/// The start a header gives.
struct start_reading {
  date_value when = no_date; ///< no_date for no usable time
  time_source source = time_source::last_change;
  std::int32_t zone = 0;       ///< camera_zone: the zone in minutes
  date_value clock = no_date;  ///< camera_zone: CDAT, when it differs from the zone's time by more than 2 s
  no_time why = no_time::none; ///< when there is no usable time
};

/// The start of a video: the creation time plus its zone (TZON), else CDAT, else true UTC
/// as this computer's local time of that date (H22 on), else the camera's clock as written.
start_reading start_of(const video_header &header);

/// A recording: the chapter files of one folder with the same prefix, the same codec (HEVC,
/// AVC or 360; an older camera's GOPR and GP files are one recording) and recording number.
using recording_key =
    std::tuple<const folder_path *, text, char16_t, std::array<char16_t, camera_name::recording_length>>;

/// The recording of a chapter file, in any of its names.
recording_key recording_of(const found_file_record &record);

/// What the headers of one recording's chapters told.
struct recording_reading {
  std::size_t file = no_job; ///< the chapter that answered; with none, the first chapter
  video_header header;       ///< what that chapter's header holds
  start_reading start;       ///< the start it gives (-t)
  std::vector<std::pair<std::size_t, no_time>> without_answer; ///< chapters read that gave none, and why
  std::size_t unreadable = no_job; ///< a chapter that could not be read: the recording stays as it is
  file_failure failure = file_failure::none;
};

/// The recordings read, in the order first met, and where to find each.
struct recording_readings {
  std::vector<recording_reading> recordings;
  std::map<recording_key, std::size_t> index;
};

/// The reading of a chapter file's recording; nothing when it was not read.
const recording_reading *reading_of(const recording_readings &readings, const found_file_record &record);

/// Whether a chapter's header (file, the outcome of its reading, the header) answers what
/// its recording's reading asks, so that no further chapter is read; it notes in the
/// reading what it found.
using header_answers = std::function<bool(std::size_t file, no_time result, const video_header &header,
                                          recording_reading &reading)>;

/// Reads the recordings that have a chapter among the videos given (file indices): the
/// headers of their chapters under any of their names (camera, temporary or final, but
/// 8.3), lowest-numbered first (an older camera's PR first), until one answers. The others
/// are never opened. A chapter that exists but cannot be read ends the reading of its
/// recording, which is then marked unreadable.
recording_readings read_recordings(disk &disk, const file_list &files, const std::vector<std::size_t> &videos,
                                   const header_answers &answers);

/// -t: each recording's start, from its lowest-numbered chapter whose header gives one.
recording_readings date_recordings(disk &disk, const file_list &files,
                                   const std::vector<std::size_t> &videos);

/// Which date a chapter's final name carries: none (plain), the 8.3 form's none (-o), the
/// start of its recording (-t, when one was read), or the file's last change (-d, and -t
/// without a start time, read through disk only then). The one place that decides it.
name_parts final_parts_for(const found_file_record &record, const run_options &options,
                           const recording_readings &times, disk &disk);
