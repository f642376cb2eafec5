#include "camera_files.h"
#include "sorter/camera_names.h"
#include "sorter/dating.h"

#include <gtest/gtest.h>

#include <cstring>
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
      {u"4821_G-HEVC-0123-01.mp4", final_form(final_x, name_form::plain, -1, 4821)},
      {u"9999_GX012301.thm",
       final_form(parts(name_kind::final_name, file_role::thumbnail, u'X', u"01", u"0123"),
                  name_form::short_83, -1, 9999)},
      {u"1000_GOPR0007.LRV",
       final_form(camera(u'O', u"PR", u"0007", file_role::proxy), name_form::plain, -1, 1000)},
      {u"4821_GP020007.MP4", final_form(camera(u'P', u"02", u"0007"), name_form::plain, -1, 4821)},
      {u"GX0\U0001F480123.MP4", parts(name_kind::cut_character, file_role::video, 0, u"\0\0", u"\0\0\0\0")},
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
                                   u"482_G-HEVC-0123-01.mp4",
                                   u"4821-G-HEVC-0123-01.mp4",
                                   u"4821_G-HEVC-0123-01.MP4",
                                   u"4821_G-HEVC-0123-001.mp4",
                                   u"4821_2023-02-30_15-59-02_G-HEVC-0123-01.mp4",
                                   u"4821_2023-05-06_15-59-02_GX012301.mp4",
                                   u"4821_GX0123012.mp4",
                                   u"4821_GL010123.MP4",
                                   u"4821_GX01012a.MP4",
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
}

TEST(Names, CameraNamesComeBack) {
  const std::tuple<std::u16string_view, bool, std::u16string_view> examples[] = {
      {u"G-HEVC-0123-01.mp4", false, u"GX010123.MP4"}, {u"G-HEVC-0123-01.lrv", false, u"GL010123.LRV"},
      {u"G-AVC-0123-02.thm", false, u"GH020123.THM"},  {u"G-AVC-0007-PR.mp4", false, u"GOPR0007.MP4"},
      {u"G-AVC-0007-PR.lrv", false, u"GOPR0007.LRV"},  {u"G-AVC-0007-01.mp4", true, u"GP010007.MP4"},
      {u"G-AVC-0007-01.lrv", true, u"GP010007.LRV"},   {u"_G-AVC-0124-01.lrv", false, u"GL010124.LRV"},
  };
  for (const auto &[final, older, camera_name] : examples) {
    ASSERT_TRUE(camera_writes(classify_name(final))) << narrow(final);
    EXPECT_EQ(camera_name_of(classify_name(final), older), camera_name) << narrow(final);
  }
  for (std::u16string_view final : {u"G-AVC-play-me.mp4", u"G-HEVC-0007-PR.mp4", u"G-AVC-012a-01.mp4"})
    EXPECT_FALSE(camera_writes(classify_name(final))) << narrow(final);
}

TEST(VideoHeader, ReadsFromHeadersAloneInFewReads) {
  const std::string mvhd_64 = box("mvhd", std::string("\1\0\0\0", 4) + big_endian(3800000000, 8));
  std::string start = box("ftyp", "mp41") + big_endian(1, 4) + "mdat" + big_endian(16, 8);
  std::string empty_boxes; // more of them than the reading may take
  for (int k = 0; k < 9000; ++k)
    empty_boxes += box("free", "");
  std::string zeros = klv("TZON", 's', 2, 1, big_endian(120, 2)); // ends the walk before what follows
  zeros.replace(0, 4, std::string(4, '\0'));
  std::string malformed = klv("DEVC", 0, 1, 64, "");
  struct example {
    std::string file;
    no_time result;
    std::uint64_t time = 0;
    std::string firmware = {};
    std::optional<std::int32_t> zone = {};
    bool never_set = false;
  };
  const example examples[] = {
      {camera_video(3575644077, "H23.01.01.10.00"), no_time::none, 3575644077, "H23", {}},
      {camera_video(3575644077, "H22.01", gpmf(120, 1683388742)), no_time::none, 3575644077, "H22", 120},
      {camera_video(3575644077, "H22.01", gpmf(32767)), no_time::none, 3575644077, "H22", {}, true},
      {camera_video(3575644077, "H22.01", gpmf(32766)), no_time::none, 3575644077, "H22", {}},
      {camera_video(3575644077, "H22.01", gpmf(840)), no_time::none, 3575644077, "H22", 840},
      {camera_video(3575644077, "H22.01", gpmf(-840)), no_time::none, 3575644077, "H22", -840},
      {camera_video(3575644077, "H22.01", gpmf(841)), no_time::none, 3575644077, "H22", {}},
      {camera_video(3575644077, "HD7.01", zeros), no_time::none, 3575644077, "HD7", {}},
      {camera_video(3575644077, "H22.01", malformed + gpmf(120)), no_time::none, 3575644077, "H22", {}},
      {start + box("moov", mvhd_64), no_time::none, 3800000000, "", {}},
      {start + box("moov", box("mvhd", std::string("\2\0\0\0", 4) + big_endian(1, 8))),
       no_time::unknown_version},
      {start + box("moov", mvhd_64 + box("udta", box("FIRM", "H23"), 4096)), no_time::unknown_clock},
      {start + box("moov", mvhd_64 + box("udta", box("FIRM", "H23") + big_endian(64, 4) + "XXXX")),
       no_time::unknown_clock},
      {start + box("moov", mvhd_64, 4096), no_time::no_movie_header},                // past the end
      {start + box("free", "", 4) + box("moov", mvhd_64), no_time::no_movie_header}, // a size below 8
      {start + box("moov", mvhd_64.substr(0, 10)), no_time::no_movie_header},        // cut short
      {empty_boxes + box("moov", mvhd_64), no_time::no_movie_header},
  };
  for (const example &e : examples) {
    const std::string &file = e.file;
    video_header header;
    no_time result = read_video_header(
        file.size(),
        [&](std::uint64_t offset, unsigned char *into, std::size_t size) {
          EXPECT_LE(offset + size, file.size());
          std::memcpy(into, file.data() + offset, size);
          return static_cast<std::int64_t>(size);
        },
        header);
    EXPECT_EQ(result, e.result) << &e - examples;
    EXPECT_LE(header.bytes_read, most_header_bytes);
    EXPECT_LE(header.reads, most_header_bytes / header_block) << &e - examples;
    if (result == no_time::none) {
      EXPECT_EQ(header.creation_time, e.time);
      EXPECT_EQ(header.firmware, e.firmware);
      EXPECT_EQ(header.zone, e.zone) << &e - examples;
      EXPECT_EQ(header.zone_never_set, e.never_set) << &e - examples;
    }
  }
  video_header header;
  std::string real = camera_video(3575644077, "HD7.01", gpmf(-420) + std::string(25000, '\0'));
  read_video_header(
      real.size(),
      [&](std::uint64_t offset, unsigned char *into, std::size_t size) {
        std::memcpy(into, real.data() + offset, size);
        return static_cast<std::int64_t>(size);
      },
      header);
  EXPECT_EQ(header.reads, 1u); // the whole header in one block
}

TEST(VideoHeader, WhichClock) {
  video_header header;
  header.creation_time = 3575644077; // 2017-04-21 18:27:57 as written
  header.firmware = "HD9";
  EXPECT_EQ(start_of(header).when, 1492799277);
  EXPECT_EQ(start_of(header).source, time_source::camera_clock);
  header.zone = -420; // the camera's zone: UTC-07:00
  EXPECT_EQ(start_of(header).when, 1492799277 - 420 * 60);
  EXPECT_EQ(start_of(header).source, time_source::camera_zone);
  header.wall_clock = 1492799277 - 420 * 60 + 3; // CDAT more than 2 s away is noted
  EXPECT_EQ(start_of(header).clock, 1492799277 - 420 * 60 + 3);
  header.zone.reset();
  header.zone_never_set = true;
  EXPECT_EQ(start_of(header).when, 1492799277 - 420 * 60 + 3); // CDAT then
  header.wall_clock.reset();
  EXPECT_EQ(start_of(header).why, no_time::zone_never_set);
  for (std::string_view firmware : {"H22.01.01.10.00", "H23.01", "H99"})
    EXPECT_TRUE(firmware_writes_utc(firmware)) << firmware;
  for (std::string_view firmware : {"HD9.01.01.72.00", "HD5.02", "H19.03", "H21.01", "", "H2", "X23"})
    EXPECT_FALSE(firmware_writes_utc(firmware)) << firmware;
  EXPECT_TRUE(firmware_of_older_camera("HD5.02"));
  EXPECT_TRUE(firmware_of_older_camera("HD3.11"));
  EXPECT_FALSE(firmware_of_older_camera("HD6.01"));
}

} // namespace
