#pragma once

#include "runtime/file_reading.h"
#include "sorter/disk.h"
#include "sorter/records.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What a camera wrote into a video's header, read from the bytes alone. A camera MP4 (and
// a 360 video) is a sequence of boxes (a 32-bit big-endian size, then a four-character
// type; size 1: a 64-bit size follows the type; size 0: the box runs to the end of the
// file): ftyp, mdat (the video itself, up to 4 GiB) and moov, which holds mvhd (with
// creation_time), the tracks (trak) and udta, whose FIRM box names the firmware and so the
// camera generation, and whose GPMF box holds the camera's settings as key-length-value
// entries: a key of four characters, a type byte, a size byte and a 16-bit repeat count,
// the data padded to four bytes; type 0 holds entries itself (DEVC). Among them TZON, the
// zone the camera was set to in minutes, and CDAT, the creation time as the camera's wall
// clock.

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

/// The zones a camera can be set to, in minutes either side of UTC.
constexpr std::int32_t widest_zone = 14 * 60;

/// What TZON holds when the camera's zone was never set.
constexpr std::int32_t zone_never_set = 32767;

/// Walks the boxes of a file of file_size bytes from header to header to moov's mvhd, every
/// child of udta and the TZON and CDAT entries of udta/GPMF, never into mdat or a trak,
/// reading blocks of at least header_block bytes, at most most_header_bytes in all, and
/// stopping as soon as all that is known. no_time::none when the header holds a creation
/// time and its clock can be known; unreadable when a read failed.
no_time read_video_header(std::uint64_t file_size, const byte_reader &read, video_header &header);

/// Reads a video's header through the disk: the outcome of the open and, when it opened,
/// of the reading (no_time::unreadable and why when it could not be read). A FIFO, a
/// device or a link leading nowhere is never opened.
no_time read_header_of(disk &disk, const found_file_record &record, video_header &header, file_failure &why);
