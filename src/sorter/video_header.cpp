#include "sorter/video_header.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t firmware_length = 3; // "HD9", "H23": enough to tell the generation
constexpr int deepest_nesting = 8;         // GPMF entries inside entries

constexpr std::uint32_t four_cc(const char (&name)[5]) {
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

// The reads of one file: a block at a time, within the file's size and the budget. A
// request outside the block in hand reads the next block from where it begins. Callers ask
// only for bytes inside the boxes around them, which lie inside the file.
struct box_reader {
  std::uint64_t file_size;
  const byte_reader &read;
  video_header &header;
  bool failed = false; // a read reported an error
  std::vector<unsigned char> block;
  std::uint64_t block_at = 0;

  bool get(std::uint64_t offset, unsigned char *into, std::size_t size) {
    if (offset < block_at || offset + size > block_at + block.size()) {
      std::uint64_t left = most_header_bytes - header.bytes_read;
      std::uint64_t wanted =
          std::min<std::uint64_t>({std::max(header_block, size), file_size - offset, left});
      if (wanted < size)
        return false;
      block.assign(static_cast<std::size_t>(wanted), 0); // what a short read leaves is zeros
      header.bytes_read += wanted;
      ++header.reads;
      std::int64_t got = read(offset, block.data(), block.size());
      failed = failed || got < 0;
      block.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
      block_at = offset;
      if (block.size() < size)
        return false; // the file ended early: it shrank while read
    }
    std::memcpy(into, block.data() + (offset - block_at), size);
    return true;
  }
};

struct box {
  std::uint32_t type;
  std::uint64_t content; // where the content begins, after the header
  std::uint64_t end;     // where the next box begins
};

// The header of the box at offset, which must end by end.
bool read_box(box_reader &reader, std::uint64_t offset, std::uint64_t end, box &found) {
  unsigned char bytes[16] = {};
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
// creation_time. False when it cannot be read; version set to what it says.
bool read_creation_time(box_reader &reader, const box &mvhd, int &version) {
  unsigned char bytes[12];
  if (mvhd.end - mvhd.content < 4 || !reader.get(mvhd.content, bytes, 4))
    return false;
  version = bytes[0];
  if (version > 1)
    return true;
  std::size_t size = version == 1 ? 8 : 4;
  if (mvhd.end - mvhd.content < 4 + size || !reader.get(mvhd.content + 4, bytes + 4, size))
    return false;
  reader.header.creation_time = big_endian(bytes + 4, size);
  return true;
}

// The GPMF entries from at to end, and those nested in them. False for an entry that does
// not fit where it stands; a key of four zero bytes (the padding real files end with) or
// both values found end the walk.
bool walk_settings(box_reader &reader, std::uint64_t at, std::uint64_t end, int depth) {
  video_header &header = reader.header;
  while (end - at >= 8 && !(header.zone && header.wall_clock)) {
    unsigned char entry[8] = {};
    if (!reader.get(at, entry, 8))
      return true; // the budget ends the walk: what was found stands
    std::uint32_t key = static_cast<std::uint32_t>(big_endian(entry, 4));
    if (key == 0)
      return true;
    unsigned char type = entry[4];
    std::uint64_t size = entry[5] * big_endian(entry + 6, 2);
    std::uint64_t padded = (size + 3) / 4 * 4;
    if (padded > end - at - 8)
      return false;
    unsigned char value[8];
    if (type == 0) {
      if (depth >= deepest_nesting || !walk_settings(reader, at + 8, at + 8 + padded, depth + 1))
        return false;
    } else if (key == four_cc("TZON") && type == 's' && entry[5] == 2 && size == 2 &&
               reader.get(at + 8, value, 2)) {
      auto minutes = static_cast<std::int16_t>(big_endian(value, 2));
      if (minutes >= -widest_zone && minutes <= widest_zone)
        header.zone = minutes;
      header.zone_never_set = minutes == zone_never_set;
    } else if (key == four_cc("CDAT") && type == 'J' && entry[5] == 8 && size == 8 &&
               reader.get(at + 8, value, 8)) {
      header.wall_clock = big_endian(value, 8);
    }
    at += 8 + padded;
  }
  return true;
}

// Every child of udta, header by header: FIRM names the firmware, GPMF holds the settings.
// False when a child's header cannot be read: whatever follows is unknown.
bool read_user_data(box_reader &reader, const box &udta) {
  box child{};
  for (std::uint64_t at = udta.content; at < udta.end; at = child.end) {
    if (!read_box(reader, at, udta.end, child))
      return false;
    if (child.type == four_cc("FIRM")) {
      unsigned char bytes[firmware_length];
      std::size_t size =
          static_cast<std::size_t>(std::min<std::uint64_t>(firmware_length, child.end - child.content));
      if (reader.get(child.content, bytes, size))
        reader.header.firmware.assign(reinterpret_cast<const char *>(bytes), size);
    } else if (child.type == four_cc("GPMF")) {
      // A malformed entry: neither value can be trusted, but the clock rules still hold.
      if (!walk_settings(reader, child.content, child.end, 0)) {
        reader.header.zone.reset();
        reader.header.zone_never_set = false;
        reader.header.wall_clock.reset();
      }
    }
  }
  return true;
}

} // namespace

no_time read_video_header(std::uint64_t file_size, const byte_reader &read, video_header &header) {
  header = {};
  box_reader reader{file_size, read, header, false, {}, 0};
  box top{};
  // Every header read takes at least 8 bytes of the budget, so the walk ends.
  for (std::uint64_t at = 0; read_box(reader, at, file_size, top); at = top.end) {
    if (top.type != four_cc("moov"))
      continue; // ftyp, mdat, free: passed over, their content never read
    bool found = false;
    bool user_data = false;
    int version = 0;
    box child{};
    for (std::uint64_t in = top.content; in < top.end && !(found && user_data); in = child.end) {
      if (!read_box(reader, in, top.end, child))
        return reader.failed ? no_time::unreadable
               : found       ? no_time::unknown_clock
                             : no_time::no_movie_header;
      if (child.type == four_cc("mvhd")) {
        found = read_creation_time(reader, child, version);
        if (!found)
          break;
      } else if (child.type == four_cc("udta")) {
        user_data = true;
        if (!read_user_data(reader, child))
          return reader.failed ? no_time::unreadable : no_time::unknown_clock;
      }
    }
    if (reader.failed)
      return no_time::unreadable;
    if (!found)
      return no_time::no_movie_header;
    return version > 1 ? no_time::unknown_version : no_time::none;
  }
  return reader.failed ? no_time::unreadable : no_time::no_movie_header;
}

no_time read_header_of(disk &disk, const found_file_record &record, video_header &header, file_failure &why) {
  header = {};
  if (record.kind != found_kind::file)
    return no_time::no_movie_header;
  readable_file file;
  open_outcome opened = disk.open_file(join_path(record.folder->opened, record.name), file, why);
  if (opened != open_outcome::opened)
    return opened == open_outcome::failed ? no_time::unreadable : no_time::no_movie_header;
  no_time result = read_video_header(
      file.size,
      [&](std::uint64_t offset, unsigned char *into, std::size_t size) {
        return disk.read_file(file, offset, into, size);
      },
      header);
  disk.close_file(file);
  return result;
}
