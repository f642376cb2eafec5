#include "camera_files.h"
#include "sorter/camera_names.h"
#include "sorter/dating.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string narrow(std::u16string_view units) { return encode_name(units); }

name_parts parts(name_kind kind, file_role role, char16_t codec, std::u16string_view chapter,
                 std::u16string_view recording) {
  name_parts made;
  made.kind = kind;
  made.role = role;
  made.codec_letter = codec;
  std::copy(chapter.begin(), chapter.end(), made.chapter.begin());
  std::copy(recording.begin(), recording.end(), made.recording.begin());
  return made;
}

name_parts camera(char16_t codec, std::u16string_view chapter, std::u16string_view recording,
                  file_role role = file_role::video) {
  return parts(name_kind::camera, role, codec, chapter, recording);
}

name_parts final_form(name_parts made, name_form form, date_value date = -1, std::uint16_t number = 0) {
  made.form = form;
  made.date = date;
  made.number = number;
  if (number)
    made.kind = made.kind == name_kind::camera ? name_kind::camera_temporary : name_kind::temporary;
  return made;
}

name_parts with(name_parts made, bool spherical, std::u16string_view prefix = {}) {
  made.spherical = spherical;
  made.prefix = text(prefix);
  return made;
}

TEST(Names, AreClassifiedOnce) {
  name_parts short_final = camera(u'X', u"01", u"2301");
  short_final.short_final = true;
  name_parts final_x = parts(name_kind::final_name, file_role::video, u'X', u"01", u"0123");
  name_parts final_thm = parts(name_kind::final_name, file_role::thumbnail, u'H', u"02", u"1234");
  const std::pair<std::u16string_view, name_parts> examples[] = {
      {u"GX010123.MP4", camera(u'X', u"01", u"0123")},
      {u"gx010123.mp4", camera(u'X', u"01", u"0123")},
      {u"GOPR0123.MP4", camera(u'O', u"PR", u"0123")},
      {u"Gameplay.mp4", camera(u'A', u"me", u"play")},
      {u"GL010123.LRV", camera(u'L', u"01", u"0123", file_role::proxy)},
      {u"gx010123.thm", camera(u'X', u"01", u"0123", file_role::thumbnail)},
      {u"GX012301.mp4", short_final},
      {u"G-HEVC-0123-01.mp4", final_x},
      {u"2023-05-06_15-59-02_G-AVC-1234-02.thm", final_form(final_thm, name_form::dated, 1683388742)},
      {u"_G-HEVC-0123-01.mp4", final_form(final_x, name_form::dated)},
      {u"1970-01-01_00-00-00_G-HEVC-0123-01.mp4", final_form(final_x, name_form::dated, 0)},
      {u"4821_G-HEVC-0123-01.mp4", final_form(final_x, name_form::plain, -1, 4821)},
      {u"9999_GX012301.thm",
       final_form(parts(name_kind::final_name, file_role::thumbnail, u'X', u"01", u"0123"),
                  name_form::short_83, -1, 9999)},
      {u"1000_GOPR0007.LRV",
       final_form(camera(u'O', u"PR", u"0007", file_role::proxy), name_form::plain, -1, 1000)},
      {u"4821_GP020007.MP4", final_form(camera(u'P', u"02", u"0007"), name_form::plain, -1, 4821)},
      {u"GX0\U0001F480123.MP4", parts(name_kind::cut_character, file_role::video, 0, u"\0\0", u"\0\0\0\0")},
      {u"GX0\xD800\xDC00"
       u"123.MP4",
       parts(name_kind::cut_character, file_role::video, 0, u"\0\0", u"\0\0\0\0")},
      {u"GX0\xDBFF\xDFFF"
       u"123.MP4",
       parts(name_kind::cut_character, file_role::video, 0, u"\0\0", u"\0\0\0\0")},
      {u"GX0\xD7FF\xDC00"
       u"123.MP4",
       camera(u'X', u"0\xD7FF",
              u"\xDC00"
              u"123")}, // no pair is cut
      {u"GX0\xD800\xE000"
       u"123.MP4",
       camera(u'X', u"0\xD800",
              u"\xE000"
              u"123")},
      {u"GX0\xDC00\xDC00"
       u"123.MP4",
       camera(u'X', u"0\xDC00",
              u"\xDC00"
              u"123")},
      {u"GX0\xD800\xDBFF"
       u"123.MP4",
       camera(u'X', u"0\xD800",
              u"\xDBFF"
              u"123")},
      // Only -a takes these: 360 videos, and camera names with a prefix.
      {u"gs010135.360", with(camera(u'S', u"01", u"0135"), true)},
      {u"CamA-GH010206.MP4", with(camera(u'H', u"01", u"0206"), false, u"CamA-")},
      {u"482_G-HEVC-0123-01.mp4", with(final_x, false, u"482_")},
      {u"4821-G-HEVC-0123-01.mp4", with(final_x, false, u"4821-")},
      {u"2023x05-06_15-59-02_G-HEVC-0123-01.mp4", with(final_x, false, u"2023x05-06_15-59-02_")}, // no date
      {u"4821_2023-05-06_15-59-02_CamA-G-360-0135-01.thm",
       with(final_form(parts(name_kind::final_name, file_role::thumbnail, u'S', u"01", u"0135"),
                       name_form::dated, 1683388742, 4821),
            true, u"CamA-")},
      {u"4821_CamA-GL010206.LRV",
       with(final_form(camera(u'L', u"01", u"0206", file_role::proxy), name_form::plain, -1, 4821), false,
            u"CamA-")},
  };
  for (const auto &[name, expected] : examples)
    EXPECT_EQ(classify_name(name), expected) << narrow(name);
  for (std::u16string_view name : {u"GX010123.MOV",
                                   u"GX0101234.MP4",
                                   u"AX010123.MP4",
                                   u"GX01012_3THM",
                                   u"GL010123_LRV",
                                   u"2019_Paris.mp4",
                                   u"2019_Greece01.mp4",
                                   u"9999_Gameplay.mp4",
                                   u"0123_G-HEVC-0123-02.mp4",
                                   u"4821_G-HEVC-0123-01.MP4",
                                   u"4821_G-HEVC-0123-001.mp4",
                                   u"4821_2023-02-30_15-59-02_G-HEVC-0123-01.mp4",
                                   u"4821_2023-05-06_15-59-02_GX012301.mp4",
                                   u"4821_GX0123012.mp4",
                                   u"4821_GL010123.MP4",
                                   u"4821_GX01012a.MP4",
                                   u"4821_GXa10123.MP4",
                                   u"4821_GXPR0123.MP4",
                                   u"4821_GX010123.MOV",
                                   u"4821_GX010123xMP4",
                                   u"4821_AX010123.MP4",
                                   u"4821_GX01",
                                   u"4821_",
                                   u""})
    EXPECT_EQ(classify_name(name).kind, name_kind::other) << narrow(name);
}

TEST(Names, AreBuiltAndTakenApartAgain) {
  name_parts x = parts(name_kind::final_name, file_role::video, u'X', u"01", u"0123");
  name_parts pr = parts(name_kind::final_name, file_role::proxy, u'H', u"PR", u"0123");
  const std::pair<name_parts, std::u16string_view> examples[] = {
      {x, u"G-HEVC-0123-01.mp4"},
      {pr, u"G-AVC-0123-PR.lrv"},
      {final_form(x, name_form::dated, 1683388742), u"2023-05-06_15-59-02_G-HEVC-0123-01.mp4"},
      {final_form(x, name_form::dated), u"_G-HEVC-0123-01.mp4"},
      {with(parts(name_kind::final_name, file_role::video, u'S', u"01", u"0135"), true, u"CamA-"),
       u"CamA-G-360-0135-01.360"},
  };
  for (const auto &[made, name] : examples) {
    EXPECT_EQ(final_name(made), name);
    EXPECT_EQ(classify_name(name), made) << narrow(name);
    EXPECT_EQ(finished_name(classify_name(temporary_name(4821, name))), name) << narrow(name);
  }
  EXPECT_EQ(
      final_name(final_parts_of(camera(u'O', u"PR", u"0007", file_role::thumbnail), name_form::short_83, -1)),
      u"GO0007PR.thm");
  EXPECT_EQ(final_name(as_short_final(classify_name(u"GX012301.mp4"))), u"GX012301.mp4");
  // Every number the draw gives makes a temporary name that is read as one.
  for (std::uint64_t number : {lowest_temporary_number, highest_temporary_number})
    EXPECT_EQ(classify_name(temporary_name(number, u"G-HEVC-0123-01.mp4")).number, number);
}

TEST(Names, CameraNamesComeBack) {
  const std::tuple<std::u16string_view, bool, std::u16string_view> examples[] = {
      {u"G-HEVC-0123-01.mp4", false, u"GX010123.MP4"},
      {u"G-HEVC-0123-01.lrv", false, u"GL010123.LRV"},
      {u"G-HEVC-0123-01.lrv", true, u"GL010123.LRV"}, // an HEVC recording is never an older camera's
      {u"G-AVC-0123-02.thm", false, u"GH020123.THM"},
      {u"G-AVC-0007-PR.mp4", false, u"GOPR0007.MP4"},
      {u"G-AVC-0007-PR.lrv", false, u"GOPR0007.LRV"},
      {u"G-AVC-0007-01.mp4", true, u"GP010007.MP4"},
      {u"G-AVC-0007-01.lrv", true, u"GP010007.LRV"},
      {u"_G-AVC-0124-01.lrv", false, u"GL010124.LRV"},
      {u"G-360-0135-01.360", false, u"GS010135.360"},
      {u"G-360-0135-01.thm", false, u"GS010135.THM"},
      {u"CamA-G-360-0135-02.lrv", false, u"CamA-GL020135.LRV"},
  };
  for (const auto &[final, older, camera_name] : examples) {
    ASSERT_TRUE(camera_writes(classify_name(final))) << narrow(final);
    EXPECT_EQ(camera_name_of(classify_name(final), older), camera_name) << narrow(final);
  }
  for (std::u16string_view final : {u"G-AVC-play-me.mp4", u"G-HEVC-0007-PR.mp4", u"G-AVC-012a-01.mp4",
                                    u"CamA-G-AVC-0007-PR.mp4", u"G-360-0007-PR.360"})
    EXPECT_FALSE(camera_writes(classify_name(final))) << narrow(final);
}

TEST(VideoHeader, ReadsFromHeadersAloneInFewReads) {
  const std::uint64_t t = 3575644077;
  const std::string mvhd =
      box("mvhd", std::string(4, '\0') + big_endian(t, 4) + std::string(92, '\0')); // 108
  const std::string mvhd_64 = box("mvhd", std::string("\1\0\0\0", 4) + big_endian(3800000000, 8));
  const std::string start = box("ftyp", "mp41") + box("mdat", std::string(64, 'v')); // 84 bytes
  std::string start_64 = box("ftyp", "mp41") + big_endian(1, 4) + "mdat" + big_endian(16, 8);
  auto movie = [&](const std::string &moov) { return start + box("moov", moov); };
  auto udta = [&](const std::string &children) { return box("udta", children); };
  auto settings = [&](const std::string &entries) { return udta(box("FIRM", "H22") + box("GPMF", entries)); };
  auto devc = [](const std::string &entries, int levels = 1) {
    std::string nested = entries;
    for (int k = 0; k < levels; ++k)
      nested = klv("DEVC", 0, 1, static_cast<int>(nested.size()), nested);
    return nested;
  };
  const std::string tzon = klv("TZON", 's', 2, 1, big_endian(120, 2));
  const std::string cdat = klv("CDAT", 'J', 8, 1, big_endian(1683388742, 8));
  std::string empty_boxes; // more of them than the reading may take
  for (int k = 0; k < 9000; ++k)
    empty_boxes += box("free", "");
  std::string zeros = tzon; // a key of zeros ends the walk before what follows
  zeros.replace(0, 4, std::string(4, '\0'));
  // Moov past the first block of 4 KiB, at offsets written out: its udta at 4088 or 4080.
  const std::string at_4088 = mvhd + box("trak", std::string(3880, 't'));
  const std::string at_4080 = mvhd + box("trak", std::string(3872, 't'));
  struct example {
    std::string file;
    no_time result;
    std::string firmware = {};
    std::optional<std::int32_t> zone = {};
    std::optional<std::uint64_t> clock = {};
    bool never_set = false;
    std::uint32_t reads = 0; // when given, with the bytes read
    std::uint64_t bytes = 0;
    std::uint64_t fails_from = UINT64_MAX; // reads from here fail, or find the file shorter
    bool shrunk = false;
    std::uint64_t time = 3575644077;
  };
  const example examples[] = {
      {camera_video(t, "H23.01.01.10.00"), no_time::none, "H23"},
      {camera_video(t, ""), no_time::none, ""},
      {camera_video(t, "H"), no_time::none, "H"},
      {camera_video(t, "HD"), no_time::none, "HD"},
      {camera_video(t, "H22.01", gpmf(120, 1683388742)), no_time::none, "H22", 120, 1683388742},
      {movie(mvhd + settings(devc(cdat + tzon))), no_time::none, "H22", 120, 1683388742},
      {movie(mvhd + settings(devc(klv("BYTE", 'b', 1, 1, "\5") + tzon))), no_time::none, "H22", 120},
      {camera_video(t, "H22.01", gpmf(32767)), no_time::none, "H22", {}, {}, true},
      {camera_video(t, "H22.01", gpmf(32766)), no_time::none, "H22"},
      {camera_video(t, "H22.01", gpmf(840)), no_time::none, "H22", 840},
      {camera_video(t, "H22.01", gpmf(-840)), no_time::none, "H22", -840},
      {camera_video(t, "H22.01", gpmf(841)), no_time::none, "H22"},
      {camera_video(t, "H22.01", gpmf(-841)), no_time::none, "H22"},
      // Entries not of the form TZON and CDAT have, and what ends a walk.
      {movie(mvhd + settings(devc(klv("TZON", 'S', 2, 1, big_endian(120, 2))))), no_time::none, "H22"},
      {movie(mvhd + settings(devc(klv("TZON", 's', 1, 2, big_endian(120, 2))))), no_time::none, "H22"},
      {movie(mvhd + settings(devc(klv("TZON", 's', 2, 2, big_endian(120, 4))))), no_time::none, "H22"},
      {movie(mvhd + settings(devc(klv("CDAT", 'j', 8, 1, big_endian(1683388742, 8))))), no_time::none, "H22"},
      {movie(mvhd + settings(devc(klv("CDAT", 'J', 4, 2, big_endian(1683388742, 8))))), no_time::none, "H22"},
      {movie(mvhd +
             settings(devc(klv("CDAT", 'J', 8, 2, big_endian(1683388742, 8) + big_endian(1683388742, 8))))),
       no_time::none, "H22"},
      {movie(mvhd + settings(devc(tzon, 8))), no_time::none, "H22", 120},
      {movie(mvhd + settings(devc(tzon, 9))), no_time::none, "H22"}, // nested too deep: malformed
      {movie(mvhd + settings(tzon + devc(cdat, 9))), no_time::none, "H22"},
      {movie(mvhd + settings(devc(tzon) + std::string("ABCDb\1\0\4", 8))), no_time::none,
       "H22"},                                                                  // does not fit
      {movie(mvhd + settings(devc(tzon) + "abcd")), no_time::none, "H22", 120}, // too short to be one
      {camera_video(t, "HD7.01", zeros), no_time::none, "HD7"},
      {camera_video(t, "H22.01", klv("DEVC", 0, 1, 64, "") + gpmf(120)), no_time::none, "H22"},
      {movie(mvhd + udta(box("FIRM", "H22") + box("XYZW", devc(tzon)))), no_time::none, "H22"},
      // Box sizes: 64-bit, 0 (to the end), too small, past the end, cut short.
      {start_64 + box("moov", mvhd_64),
       no_time::none,
       {},
       {},
       {},
       false,
       0,
       0,
       UINT64_MAX,
       false,
       3800000000},
      {start + big_endian(0, 4) + "moov" + mvhd, no_time::none}, // runs to the end of the file
      {movie(mvhd + box("udta", "", 1).substr(0, 8) + big_endian(16, 8)), no_time::none},
      {start_64 + box("moov", box("mvhd", std::string("\2\0\0\0", 4) + big_endian(1, 8))),
       no_time::unknown_version},
      {movie(box("mvhd", std::string("\2\0\0\0", 4))), no_time::unknown_version},
      {movie(box("mvhd", std::string(3, '\0'))), no_time::no_movie_header},
      {movie(box("mvhd", std::string(6, '\0'))), no_time::no_movie_header},
      {movie(box("mvhd", std::string("\1\0\0\0\0\0\0\0", 8))), no_time::no_movie_header},
      {movie(box("mvhd", std::string(3, '\0')) + udta(box("FIRM", "H23", 64))), no_time::no_movie_header},
      {movie(udta(box("FIRM", "H23"))), no_time::no_movie_header},
      {start_64 + box("moov", mvhd_64 + udta(box("FIRM", "H23")), 4096), no_time::no_movie_header},
      {start_64 + box("moov", mvhd_64 + udta(box("FIRM", "H23") + big_endian(64, 4) + "XXXX")),
       no_time::unknown_clock},
      {start_64 + box("moov", mvhd_64 + box("udta", box("FIRM", "H23"), 4096)), no_time::unknown_clock},
      {start_64 + box("free", "", 4) + box("moov", mvhd_64), no_time::no_movie_header},
      {start_64 + box("moov", mvhd_64.substr(0, 10)), no_time::no_movie_header},
      {start.substr(0, 12) + std::string("\0\0\0\1mdat\0\0\0\0", 12), no_time::no_movie_header},
      {empty_boxes + box("moov", mvhd_64), no_time::no_movie_header},
      {start + box("moov", mvhd + empty_boxes + udta(box("FIRM", "H23"))), no_time::unknown_clock},
      // Blocks of 4 KiB: the udta header ends the first block; its FIRM is the second read.
      {movie(at_4088 + udta(box("FIRM", "H23"))), no_time::none, "H23", {}, {}, false, 2, 4107},
      {movie(mvhd + box("trak", std::string(5000, 't')) + udta("")),
       no_time::none,
       "",
       {},
       {},
       false,
       2,
       4104},
      {movie(at_4088 + udta(box("FIRM", "H23"))), no_time::unreadable, {}, {}, {}, false, 0, 0, 4096},
      {movie(at_4088 + udta(box("FIRM", "H23"))),
       no_time::unknown_clock,
       {},
       {},
       {},
       false,
       0,
       0,
       4096,
       true},
      {movie(at_4080 + udta(box("GPMF", devc(tzon)))), no_time::unreadable, {}, {}, {}, false, 0, 0, 4096},
      {camera_video(t, "HD7.01", gpmf(-420) + std::string(25000, '\0')),
       no_time::none,
       "HD7",
       -420,
       {},
       false,
       1,
       4096},
  };
  for (const example &e : examples) {
    SCOPED_TRACE(&e - examples);
    const std::string &file = e.file;
    video_header header;
    no_time result = read_video_header(
        file.size(),
        [&](std::uint64_t offset, unsigned char *into, std::size_t size) {
          EXPECT_LE(offset + size, file.size());
          if (offset >= e.fails_from)
            return std::int64_t{e.shrunk ? 0 : -1};
          std::memcpy(into, file.data() + offset, size);
          return static_cast<std::int64_t>(size);
        },
        header);
    EXPECT_EQ(result, e.result);
    EXPECT_LE(header.bytes_read, most_header_bytes);
    EXPECT_LE(header.reads, most_header_bytes / header_block);
    if (e.reads) {
      EXPECT_EQ(header.reads, e.reads);
      EXPECT_EQ(header.bytes_read, e.bytes);
    }
    if (result == no_time::none) {
      EXPECT_EQ(header.creation_time, e.time);
      EXPECT_EQ(header.firmware, e.firmware);
      EXPECT_EQ(header.zone, e.zone);
      EXPECT_EQ(header.wall_clock, e.clock);
      EXPECT_EQ(header.zone_never_set, e.never_set);
    }
  }
}

TEST(VideoHeader, WhichClock) {
  constexpr std::uint64_t epoch = 2082844800;   // 1970-01-01 00:00:00 in seconds since 1904
  constexpr std::uint64_t at_2017 = 3575644077; // 2017-04-21 18:27:57 as written
  constexpr date_value utc_minus_7 = 1492799277 - 420 * 60;
  struct row {
    std::uint64_t creation;
    const char *firmware;
    std::optional<std::int32_t> zone;
    std::optional<std::uint64_t> wall_clock;
    bool never_set;
    date_value when;
    time_source source;
    date_value clock = no_date;
    no_time why = no_time::none;
  };
  const row rows[] = {
      {at_2017, "HD9", {}, {}, false, 1492799277, time_source::camera_clock},
      {at_2017, "HD9", -420, {}, false, utc_minus_7, time_source::camera_zone},
      // CDAT more than 2 s away from the zone's time is noted; 2 s is not
      {at_2017, "HD9", -420, utc_minus_7 + 3, false, utc_minus_7, time_source::camera_zone, utc_minus_7 + 3},
      {at_2017, "HD9", -420, utc_minus_7 + 2, false, utc_minus_7, time_source::camera_zone},
      {at_2017, "HD9", {}, 1492799277 + 3, true, 1492799277 + 3, time_source::camera_clock}, // CDAT then
      {at_2017, "HD9", {}, {}, true, no_date, time_source::last_change, no_date, no_time::zone_never_set},
      // The calendar's edges: 1970-01-01 00:00:00 and 9999-12-31 23:59:59 are dates, beyond them none
      {epoch, "HD9", {}, {}, false, 0, time_source::camera_clock},
      {epoch, "H22", {}, {}, false, 0, time_source::utc},
      {epoch - 1,
       "HD9",
       {},
       {},
       false,
       no_date,
       time_source::last_change,
       no_date,
       no_time::no_creation_time},
      {epoch, "HD9", 60, {}, false, 3600, time_source::camera_zone},
      {epoch, "HD9", 0, 3600, false, 0, time_source::camera_zone, 3600},
      {epoch + 3600, "HD9", 0, 0, false, 3600, time_source::camera_zone, 0},
      {epoch, "HD9", -60, 3600, false, no_date, time_source::last_change, no_date, no_time::no_creation_time},
      {epoch + latest_date - 3600, "HD9", 60, {}, false, latest_date, time_source::camera_zone},
      {epoch + latest_date - 3599,
       "HD9",
       60,
       {},
       false,
       no_date,
       time_source::last_change,
       no_date,
       no_time::no_creation_time},
      {0, "HD9", {}, latest_date, false, latest_date, time_source::camera_clock},
  };
  for (const row &r : rows) {
    video_header header;
    header.creation_time = r.creation;
    header.firmware = r.firmware;
    header.zone = r.zone;
    header.wall_clock = r.wall_clock;
    header.zone_never_set = r.never_set;
    start_reading start = start_of(header);
    SCOPED_TRACE(testing::Message() << r.creation << " " << r.firmware << " zone " << r.zone.value_or(9999));
    EXPECT_EQ(start.when, r.when);
    EXPECT_EQ(start.source, r.source);
    EXPECT_EQ(start.zone, r.zone.value_or(0));
    EXPECT_EQ(start.clock, r.clock);
    EXPECT_EQ(start.why, r.why);
  }
  for (std::string_view firmware : {"H22.01.01.10.00", "H23.01", "H30", "H99"})
    EXPECT_TRUE(firmware_writes_utc(firmware)) << firmware;
  for (std::string_view firmware : {"HD9.01.01.72.00", "HD5.02", "H19.03", "H21.01", "", "H2", "X23"})
    EXPECT_FALSE(firmware_writes_utc(firmware)) << firmware;
  EXPECT_TRUE(firmware_of_older_camera("HD5.02"));
  EXPECT_TRUE(firmware_of_older_camera("HD3.11"));
  EXPECT_TRUE(firmware_of_older_camera("HD0"));
  EXPECT_FALSE(firmware_of_older_camera("HD6.01"));
}

} // namespace
