#pragma once

#include "runtime/dates.h"
#include "sorter/records.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// -t: the moment a recording started, as the camera wrote it into the video. A camera MP4
// is a sequence of boxes (a 32-bit big-endian size, then a four-character type; size 1: a
// 64-bit size follows the type; size 0: the box runs to the end of the file): ftyp, mdat
// (the video itself, up to 4 GiB) and moov, which holds mvhd (with creation_time), the
// tracks (trak) and udta, whose FIRM box names the firmware and so the camera generation.

/// Reads up to size bytes at an offset of one file; returns how many it read.
using byte_reader = std::function<std::size_t(std::uint64_t offset, unsigned char *into, std::size_t size)>;

/// The most the header reading takes from one file, however large the file.
constexpr std::uint64_t most_header_bytes = std::uint64_t{64} * 1024;

/// What a video's header tells of its start.
struct video_header {
  std::uint64_t creation_time = 0; ///< mvhd: seconds since 1904-01-01 00:00:00; 0 for none
  std::string firmware;            ///< the start of udta/FIRM; empty for none
  std::uint64_t bytes_read = 0;    ///< what the reading took from the file
};

/// Walks the boxes of a file of file_size bytes from header to header to moov's mvhd and
/// udta/FIRM, never into mdat or a trak, reading at most most_header_bytes. False when no
/// creation time was found: not an MP4, boxes that do not fit, or too much to read.
bool read_video_header(std::uint64_t file_size, const byte_reader &read, video_header &header);

/// Where a recording's date came from.
enum class time_source {
  camera_clock, ///< the camera's own clock, written as if it were UTC (up to HERO11)
  utc,          ///< true UTC (HERO12 and later), shown in this computer's time zone
  last_change   ///< no chapter had a usable time: each keeps its last-write time
};

/// Whether the firmware writes true UTC: "H" and two digits of 23 or more (HERO12 on).
/// "HDn" (HERO5 to HERO9), "H19" to "H22" and anything else write the camera's clock.
bool firmware_writes_utc(std::string_view firmware);

/// The start of a video as a date value: the camera's clock as written, or UTC as local
/// wall-clock time with the offset in force on that date; -1 for no usable time.
date_value start_date(const video_header &header, time_source &source);

/// The date -t found for one recording.
struct recording_time {
  std::size_t file; ///< the chapter whose header gave the time; with none, the first chapter
  date_value when;  ///< -1 when no chapter's time could be read
  time_source source;
};

/// -t: gives every chapter file of the file list the start time of its recording (the
/// chapter files of one folder with the same codec letter and recording number): the time
/// of its lowest-numbered chapter whose header gives one; a recording without any keeps
/// each chapter's last-write time. Returns one entry per recording, in file-list order.
std::vector<recording_time> date_by_recordings(file_list &files);

/// The -v line of each recording: which time it took, and from where.
void print_recording_times(const std::vector<recording_time> &times, const file_list &files);
