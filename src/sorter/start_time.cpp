#include "sorter/start_time.h"

#include "runtime/console.h"
#include "runtime/file_reading.h"
#include "runtime/listing.h"
#include "sorter/camera_names.h"
#include "sorter/fixed_texts.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

constexpr std::size_t firmware_length = 3; // "HD9", "H23": enough to tell the generation
constexpr std::uint64_t seconds_1904_to_1970 = 2082844800;

constexpr std::uint32_t box_type(const char (&name)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[3]));
}

std::uint64_t big_endian(const unsigned char *bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t k = 0; k < count; ++k)
    value = value << 8 | bytes[k];
  return value;
}

// The reads of one file, within its size and the budget.
struct box_reader {
  std::uint64_t file_size;
  const byte_reader &read;
  video_header &header;

  bool get(std::uint64_t offset, unsigned char *into, std::size_t size) {
    if (offset > file_size || size > file_size - offset || size > most_header_bytes - header.bytes_read)
      return false;
    header.bytes_read += size;
    return read(offset, into, size) == size;
  }
};

struct box {
  std::uint32_t type = 0;
  std::uint64_t content = 0; // where the content begins, after the header
  std::uint64_t end = 0;     // where the next box begins
};

// The header of the box at offset, which must end by end.
bool read_box(box_reader &reader, std::uint64_t offset, std::uint64_t end, box &found) {
  unsigned char bytes[16];
  if (end - offset < 8 || !reader.get(offset, bytes, 8))
    return false;
  std::uint64_t size = big_endian(bytes, 4);
  std::uint64_t header = 8;
  if (size == 1) {
    if (end - offset < 16 || !reader.get(offset + 8, bytes + 8, 8))
      return false;
    size = big_endian(bytes + 8, 8);
    header = 16;
  } else if (size == 0) {
    size = end - offset; // to the end of the file, or of the box around it
  }
  if (size < header || size > end - offset)
    return false;
  found = {static_cast<std::uint32_t>(big_endian(bytes + 4, 4)), offset + header, offset + size};
  return true;
}

// mvhd: a version byte (0: 32-bit times, 1: 64-bit times), three flag bytes, then
// creation_time.
bool read_creation_time(box_reader &reader, const box &mvhd) {
  unsigned char bytes[12];
  if (mvhd.end - mvhd.content < 4 || !reader.get(mvhd.content, bytes, 4))
    return false;
  std::size_t size = bytes[0] == 1 ? 8 : 4;
  if (mvhd.end - mvhd.content < 4 + size || !reader.get(mvhd.content + 4, bytes + 4, size))
    return false;
  reader.header.creation_time = big_endian(bytes + 4, size);
  return true;
}

void read_firmware(box_reader &reader, const box &udta) {
  box child;
  for (std::uint64_t at = udta.content; at < udta.end && read_box(reader, at, udta.end, child);
       at = child.end) {
    if (child.type != box_type("FIRM"))
      continue;
    unsigned char bytes[firmware_length];
    std::size_t size =
        static_cast<std::size_t>(std::min<std::uint64_t>(firmware_length, child.end - child.content));
    if (reader.get(child.content, bytes, size))
      reader.header.firmware.assign(reinterpret_cast<const char *>(bytes), size);
    return;
  }
}

std::int64_t local_date(std::uint64_t creation_time, bool utc) {
  if (creation_time < seconds_1904_to_1970 ||
      creation_time - seconds_1904_to_1970 > static_cast<std::uint64_t>(latest_date))
    return -1;
  auto since_1970 = static_cast<std::int64_t>(creation_time - seconds_1904_to_1970);
  // The camera's clock is written as if it were UTC: taken as it stands, it is the wall
  // clock the camera showed.
  return utc ? local_date_at(since_1970) : since_1970;
}

// The recording a chapter file belongs to: its folder, codec letter and recording number.
using recording_key = std::tuple<const text *, text, text>;

} // namespace

bool read_video_header(std::uint64_t file_size, const byte_reader &read, video_header &header) {
  header = {};
  box_reader reader{file_size, read, header};
  box top;
  // Every header read takes at least 8 bytes of the budget, so the walk ends.
  for (std::uint64_t at = 0; at < file_size && read_box(reader, at, file_size, top); at = top.end) {
    if (top.type != box_type("moov"))
      continue; // ftyp, mdat, free: passed over, their content never read
    bool found = false;
    box child;
    for (std::uint64_t in = top.content; in < top.end && read_box(reader, in, top.end, child);
         in = child.end) {
      if (child.type == box_type("mvhd"))
        found = read_creation_time(reader, child);
      else if (child.type == box_type("udta"))
        read_firmware(reader, child);
    }
    return found && header.creation_time != 0;
  }
  return false;
}

bool firmware_writes_utc(std::string_view firmware) {
  auto digit = [&](std::size_t k) { return firmware[k] >= '0' && firmware[k] <= '9'; };
  return firmware.size() >= firmware_length && firmware[0] == 'H' && digit(1) && digit(2) &&
         (firmware[1] - '0') * 10 + (firmware[2] - '0') >= 23;
}

date_value start_date(const video_header &header, time_source &source) {
  bool utc = firmware_writes_utc(header.firmware);
  source = utc ? time_source::utc : time_source::camera_clock;
  return header.creation_time == 0 ? -1 : local_date(header.creation_time, utc);
}

std::vector<recording_time> date_by_recordings(file_list &files) {
  // The chapters of each recording (chapter, file record), the recordings in the order first met.
  std::map<recording_key, std::size_t> numbers;
  std::vector<std::vector<std::pair<text, std::size_t>>> chapters;
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (!files[index].eligible)
      continue;
    chapter_parts parts = chapter_parts_of(files[index].name);
    auto [found, added] = numbers.try_emplace(
        {files[index].directory.get(), std::move(parts.codec_letter), std::move(parts.recording_number)},
        chapters.size());
    if (added)
      chapters.emplace_back();
    chapters[found->second].emplace_back(std::move(parts.chapter), index);
  }
  std::vector<recording_time> times;
  times.reserve(chapters.size());
  for (std::vector<std::pair<text, std::size_t>> &recording : chapters) {
    std::sort(recording.begin(), recording.end()); // by chapter, then in file-list order
    recording_time found{recording.front().second, -1, time_source::last_change};
    // The lowest-numbered chapter whose time can be read; the others are never opened.
    for (const auto &[chapter, index] : recording) {
      readable_file file;
      if (!open_for_reading(join_path(*files[index].directory, files[index].name), file))
        continue;
      video_header header;
      bool read = read_video_header(
          file.size,
          [&](std::uint64_t offset, unsigned char *into, std::size_t size) {
            return read_at(file, offset, into, size);
          },
          header);
      close_file(file);
      time_source source;
      date_value when = read ? start_date(header, source) : -1;
      if (when >= 0) {
        found = {index, when, source};
        break;
      }
    }
    if (found.when >= 0)
      for (const auto &[chapter, index] : recording)
        files[index].modified = found.when;
    times.push_back(found);
  }
  return times;
}

void print_recording_times(const std::vector<recording_time> &times, const file_list &files) {
  for (const recording_time &time : times) {
    const found_file_record &record = files[time.file];
    text path = from_outside(join_path(*record.directory, record.name));
    if (time.source == time_source::last_change) {
      print_line(fill(fixed_text::recording_by_last_change, {path}));
      continue;
    }
    std::u16string_view line = time.source == time_source::utc ? fixed_text::recording_in_utc
                                                               : fixed_text::recording_by_camera_clock;
    print_line(fill(line, {path, date_text_of(time.when)}));
  }
}
