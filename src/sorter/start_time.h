#pragma once

#include "runtime/dates.h"
#include "sorter/disk.h"
#include "sorter/records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// -t: the moment a recording started, as the camera wrote it into the video. A camera MP4
// is a sequence of boxes (a 32-bit big-endian size, then a four-character type; size 1: a
// 64-bit size follows the type; size 0: the box runs to the end of the file): ftyp, mdat
// (the video itself, up to 4 GiB) and moov, which holds mvhd (with creation_time), the
// tracks (trak) and udta, whose FIRM box names the firmware and so the camera generation,
// and whose GPMF box holds the camera's settings as key-length-value entries: a key of
// four characters, a type byte, a size byte and a 16-bit repeat count, the data padded to
// four bytes; type 0 holds entries itself (DEVC). Among them TZON, the zone the camera was
// set to in minutes, and CDAT, the creation time as the camera's wall clock.

/// Reads up to size bytes at an offset of one file; returns how many it read, -1 on an error.
using byte_reader = std::function<std::int64_t(std::uint64_t offset, unsigned char *into, std::size_t size)>;

/// The most the header reading takes from one file, however large the file.
constexpr std::uint64_t most_header_bytes = std::uint64_t{64} * 1024;

/// The least one read takes: a few reads cover the headers, whatever their layout.
constexpr std::size_t header_block = 4096;

/// Why a video gives no usable time.
enum class no_time {
  none,             ///< it gives one
  no_movie_header,  ///< no moov with an mvhd: not an MP4, boxes that do not fit, or cut short
  unknown_clock,    ///< udta's boxes cannot be read to their end: the clock cannot be known
  unknown_version,  ///< an mvhd of a version other than 0 and 1
  no_creation_time, ///< a creation time of 0, or one outside the calendar
  zone_never_set,   ///< TZON says the zone was never set (32767), and there is no CDAT
  unreadable,       ///< the file cannot be opened or read
};

/// What a video's header tells of its start.
struct video_header {
  std::uint64_t creation_time = 0;         ///< mvhd: seconds since 1904-01-01 00:00:00
  std::string firmware;                    ///< the start of udta/FIRM; empty for none
  std::optional<std::int32_t> zone;        ///< GPMF TZON in minutes, within 14 h of UTC
  bool zone_never_set = false;             ///< GPMF TZON is 32767
  std::optional<std::uint64_t> wall_clock; ///< GPMF CDAT: seconds since 1970 on the camera's clock
  std::uint64_t bytes_read = 0;            ///< what the reading took from the file
  std::uint32_t reads = 0;                 ///< in how many reads
};

/// Walks the boxes of a file of file_size bytes from header to header to moov's mvhd, every
/// child of udta and the TZON and CDAT entries of udta/GPMF, never into mdat or a trak,
/// reading blocks of at least header_block bytes, at most most_header_bytes in all, and
/// stopping as soon as all that is known. no_time::none when the header holds a creation
/// time and its clock can be known; unreadable when a read failed.
no_time read_video_header(std::uint64_t file_size, const byte_reader &read, video_header &header);

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
  date_value when = -1; ///< -1 for no usable time
  time_source source = time_source::last_change;
  std::int32_t zone = 0;       ///< camera_zone: the zone in minutes
  date_value clock = -1;       ///< camera_zone: CDAT, when it differs from the zone's time by more than 2 s
  no_time why = no_time::none; ///< when there is no usable time
};

/// The start of a video: the creation time plus its zone (TZON), else CDAT, else true UTC
/// as this computer's local time of that date (H22 on), else the camera's clock as written.
start_reading start_of(const video_header &header);

/// A recording: the chapter files of one folder with the same codec (HEVC or AVC; an older
/// camera's GOPR and GP files are one recording) and recording number.
using recording_key =
    std::tuple<const folder_path *, bool, std::array<char16_t, camera_name::recording_length>>;

/// The recording of a chapter file, in any of its names.
recording_key recording_of(const found_file_record &record);

/// What -t found for one recording.
struct recording_time {
  std::size_t file = no_job; ///< the chapter whose header gave the time; with none, the first chapter
  start_reading start;
  std::vector<std::pair<std::size_t, no_time>> without_time; ///< chapters read that gave none, and why
  std::size_t unreadable = no_job; ///< a chapter that could not be read: the recording stays as it is
  file_failure failure = file_failure::none;
};

/// The recordings -t dated, in the order first met, and where to find each.
struct start_times {
  std::vector<recording_time> recordings;
  std::map<recording_key, std::size_t> index;
};

/// The recording_time of a chapter file; nothing when its recording was not dated.
const recording_time *time_of(const start_times &times, const found_file_record &record);

/// Reads a video's header through the disk: the outcome of the open and, when it opened,
/// of the reading (no_time::unreadable and why when a read failed).
no_time read_header_of(disk &disk, const found_file_record &record, video_header &header, file_failure &why);

/// -t: dates each recording with a chapter among the videos given (file indices): its
/// time is that of its lowest-numbered chapter present under any of its names (camera,
/// temporary or final; PR first) whose header gives one. A chapter that exists but cannot
/// be read leaves its recording undated and marked unreadable.
start_times date_recordings(disk &disk, const file_list &files, const std::vector<std::size_t> &videos);

/// The -v lines of each recording: which time it took, and from where; the chapters read
/// without a usable time, and why.
void print_recording_times(const start_times &times, const file_list &files);
