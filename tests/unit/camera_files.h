#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Camera MP4 headers made by the public layout: boxes, and GPMF key-length-value entries.

inline std::string big_endian(std::uint64_t value, int bytes) {
  std::string out;
  for (int k = bytes - 1; k >= 0; --k)
    out += static_cast<char>(value >> (8 * k) & 0xFF);
  return out;
}

inline std::string box(const char *type, const std::string &content, std::uint64_t size = 0) {
  return big_endian(size ? size : 8 + content.size(), 4) + type + content;
}

// A GPMF entry: key, type, size of one item, how many, the data padded to four bytes.
inline std::string klv(const char *key, char type, int size, int repeat, std::string data) {
  data.resize((data.size() + 3) / 4 * 4, '\0');
  return std::string(key, 4) + type + static_cast<char>(size) +
         big_endian(static_cast<std::uint64_t>(repeat), 2) + data;
}

// The global settings: TZON (minutes), and CDAT (the camera's clock) when given.
inline std::string gpmf(int zone, std::optional<std::uint64_t> clock = {}) {
  std::string entries = klv("TZON", 's', 2, 1, big_endian(static_cast<std::uint16_t>(zone), 2));
  if (clock)
    entries += klv("CDAT", 'J', 8, 1, big_endian(*clock, 8));
  return klv("DEVC", 0, 1, static_cast<int>(entries.size()), entries);
}

// ftyp, a little mdat, then moov: mvhd with the creation time (seconds since 1904), a trak,
// udta with FIRM and, when given, GPMF.
inline std::string camera_video(std::uint64_t created, const std::string &firmware,
                                const std::string &settings = "") {
  std::string mvhd = box("mvhd", std::string(4, '\0') + big_endian(created, 4) + std::string(92, '\0'));
  std::string udta = box("udta", box("FIRM", firmware) + (settings.empty() ? "" : box("GPMF", settings)));
  return box("ftyp", "mp41") + box("mdat", std::string(64, 'v')) +
         box("moov", mvhd + udta + box("trak", "t"));
}
