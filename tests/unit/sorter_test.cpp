#include "runtime/random.h"
#include "sorter/camera_names.h"
#include "sorter/plan.h"
#include "sorter/start_time.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string narrow(std::u16string_view units) { return encode_name(units); }

TEST(ChapterFiles, AreTakenApart) {
  struct example {
    std::u16string_view name;
    name_verdict verdict;
    chapter_parts parts;
  };
  const example examples[] = {
      {u"GX010123.MP4", name_verdict::taken, {u"X", u"01", u"0123"}},
      {u"GH021234.MP4", name_verdict::taken, {u"H", u"02", u"1234"}},
      {u"gx010123.mp4", name_verdict::taken, {u"X", u"01", u"0123"}},
      {u"GOPR0123.MP4", name_verdict::taken, {u"O", u"PR", u"0123"}},
      {u"Gameplay.mp4", name_verdict::taken, {u"A", u"me", u"play"}},
      {u"GX010123.MOV", name_verdict::other, {}},
      {u"GX0101234.MP4", name_verdict::other, {}},
      {u"AX010123.MP4", name_verdict::other, {}},
      {u"GX0\U0001F480123.MP4", name_verdict::splits_character, {}}, // an emoji across chapter and recording
      {u"GX01012\U0001F480MP4", name_verdict::splits_character, {}},
  };
  for (const example &e : examples) {
    EXPECT_EQ(eligibility_test(e.name), e.verdict) << narrow(e.name);
    if (e.verdict == name_verdict::taken) {
      EXPECT_EQ(chapter_parts_of(e.name), e.parts) << narrow(e.name);
    }
  }
}

TEST(FinalNames, AreBuiltAndTakenApartAgain) {
  const std::pair<final_name_parts, std::u16string_view> examples[] = {
      {{name_form::plain, u"", {u"X", u"01", u"0123"}, u".mp4"}, u"G-HEVC-0123-01.mp4"},
      {{name_form::plain, u"", {u"H", u"PR", u"0123"}, u".lrv"}, u"G-AVC-0123-PR.lrv"},
      {{name_form::dated, u"2023-05-06_15-59-02", {u"H", u"02", u"1234"}, u".thm"},
       u"2023-05-06_15-59-02_G-AVC-1234-02.thm"},
      {{name_form::dated, u"", {u"X", u"01", u"0123"}, u".mp4"}, u"_G-HEVC-0123-01.mp4"},
      {{name_form::short_83, u"", {u"X", u"01", u"0123"}, u".mp4"}, u"GX012301.mp4"},
      {{name_form::short_83, u"", {u"O", u"PR", u"0007"}, u".thm"}, u"GO0007PR.thm"},
  };
  for (const auto &[parts, name] : examples) {
    EXPECT_EQ(final_name(parts), name);
    EXPECT_EQ(parse_final_name(name), parts) << narrow(name);
    EXPECT_EQ(parse_temporary_name(temporary_name(4821, name)), parts) << narrow(name);
  }
  EXPECT_EQ(date_text_of(1683388742), u"2023-05-06_15-59-02");
  EXPECT_EQ(date_text_of(-1), u"");
}

TEST(TemporaryNames, OnlyThoseTheProgramGives) {
  for (std::u16string_view name :
       {u"4821_G-HEVC-0123-01.mp4", u"1000_G-AVC-0007-PR.mp4", u"9999_GX012301.mp4", u"5555_GX012301.thm",
        u"1234_2023-05-06_15-59-02_G-HEVC-0123-01.mp4", u"4821__G-HEVC-0123-01.mp4",
        u"4821_G-AVC-a b?-?1.mp4"})
    EXPECT_EQ(temporary_name_test(name), name_verdict::taken) << narrow(name);
  for (std::u16string_view name :
       {u"2019_Paris.mp4", u"2019_Greece01.mp4", u"2021_GoPro001.mp4", u"2020_Glaciers.thm",
        u"9999_Gameplay.mp4", u"0123_G-HEVC-0123-02.mp4", u"GX010124.MP4", u"G-HEVC-0123-01.mp4",
        u"482_G-HEVC-0123-01.mp4", u"4821-G-HEVC-0123-01.mp4", u"4821_G-HEVC-0123-01.MP4",
        u"4821_G-HEVC-0123-001.mp4", u"4821_2023-05-06_15-5x-02_G-HEVC-0123-01.mp4",
        u"4821_2023-02-30_15-59-02_G-HEVC-0123-01.mp4", u"4821_2023-05-06_15-59-02_GX012301.mp4",
        u"4821_GX0123012.mp4", u"4821_", u""})
    EXPECT_EQ(temporary_name_test(name), name_verdict::other) << narrow(name);
}

TEST(Sidecars, ShapeAndExtension) {
  EXPECT_EQ(sidecar_extension(u"GL010123.LRV"), u".lrv");
  EXPECT_EQ(sidecar_extension(u"gx010123.thm"), u".thm");
  EXPECT_EQ(sidecar_extension(u"GOPR0007.LRV"), u".lrv");
  EXPECT_EQ(sidecar_extension(u"GX010123.MP4"), u"");
  EXPECT_EQ(sidecar_extension(u"GX0101234.THM"), u"");
  EXPECT_EQ(sidecar_extension(u"GX01012_3THM"), u"");
}

// The old and final names of a plan's jobs, in order.
std::vector<std::pair<text, text>> renamings(const plan &planned) {
  std::vector<std::pair<text, text>> found;
  for (const rename_job &job : planned.jobs)
    found.emplace_back(job.old_name, job.final_name);
  return found;
}

file_list card(std::initializer_list<std::u16string_view> names, const planner &planner) {
  file_list files;
  auto folder = std::make_shared<const text>(u"card");
  for (std::u16string_view name : names)
    files.push_back({folder, text(name), 1683388742, false});
  eligibility_pass(files, planner.test);
  return files;
}

TEST(Planning, SidecarsFollowTheirVideo) {
  run_options options;
  options.sidecars = options.date_prefix = true;
  random_seed(1);
  file_list files = card({u"GL010123.LRV", u"GX010123.MP4", u"GX010123.THM", u"GOPR0007.MP4", u"GOPR0007.THM",
                          u"GL010999.LRV", u"GH010555.MP4", u"GX010555.MP4", u"GL010555.LRV", u"notes.txt",
                          // videos renamed before: a sidecar takes the name as it stands, or has one
                          u"GX010777.THM", u"G-HEVC-0777-01.mp4", u"G-AVC-0888-01.mp4", u"G-AVC-0888-01.thm",
                          u"GH010888.THM"},
                         planner_for(options));
  plan planned = planner_for(options).make(files, options);
  EXPECT_EQ(renamings(planned),
            (std::vector<std::pair<text, text>>{{u"GX010123.MP4", u"2023-05-06_15-59-02_G-HEVC-0123-01.mp4"},
                                                {u"GL010123.LRV", u"2023-05-06_15-59-02_G-HEVC-0123-01.lrv"},
                                                {u"GX010123.THM", u"2023-05-06_15-59-02_G-HEVC-0123-01.thm"},
                                                {u"GOPR0007.MP4", u"2023-05-06_15-59-02_G-AVC-0007-PR.mp4"},
                                                {u"GOPR0007.THM", u"2023-05-06_15-59-02_G-AVC-0007-PR.thm"},
                                                {u"GH010555.MP4", u"2023-05-06_15-59-02_G-AVC-0555-01.mp4"},
                                                {u"GX010555.MP4", u"2023-05-06_15-59-02_G-HEVC-0555-01.mp4"},
                                                {u"GX010777.THM", u"G-HEVC-0777-01.thm"}}));
  EXPECT_EQ(planned.jobs[0].temp_name, u"7495_2023-05-06_15-59-02_G-HEVC-0123-01.mp4");
  EXPECT_EQ(planned.jobs[2].video, 0u);
  EXPECT_EQ(planned.jobs[7].video, no_job); // its video is not renamed in this run
  ASSERT_EQ(planned.notes.size(), 3u);
  EXPECT_EQ(files[planned.notes[0].file].name, u"GL010999.LRV");
  EXPECT_EQ(planned.notes[0].fate, sidecar_fate::no_video);
  EXPECT_EQ(files[planned.notes[1].file].name, u"GL010555.LRV");
  EXPECT_EQ(planned.notes[1].fate, sidecar_fate::two_videos);
  EXPECT_EQ(files[planned.notes[2].file].name, u"GH010888.THM");
  EXPECT_EQ(planned.notes[2].fate, sidecar_fate::video_has_one);
}

TEST(Planning, FinishingTakesTemporaryNamesOnly) {
  run_options options;
  options.finish = options.short_names = true; // -o changes nothing here
  file_list files = card({u"5555_G-HEVC-0123-01.lrv", u"4821_G-HEVC-0123-01.mp4", u"2019_Paris.mp4",
                          u"GX010124.MP4", u"9999_GX012301.thm", u"GX012301.mp4", u"6666_G-AVC-0999-01.thm"},
                         planner_for(options));
  plan planned = planner_for(options).make(files, options);
  EXPECT_EQ(renamings(planned),
            (std::vector<std::pair<text, text>>{{u"4821_G-HEVC-0123-01.mp4", u"G-HEVC-0123-01.mp4"},
                                                {u"5555_G-HEVC-0123-01.lrv", u"G-HEVC-0123-01.lrv"},
                                                {u"9999_GX012301.thm", u"GX012301.thm"}}));
  EXPECT_EQ(planned.jobs[1].video, 0u);     // only together with its video
  EXPECT_EQ(planned.jobs[2].video, no_job); // beside its video, under the final name already
  EXPECT_EQ(planned.jobs[2].temp_name, u"9999_GX012301.thm");
  EXPECT_EQ(planned.jobs[2].extension, u".thm");
  ASSERT_EQ(planned.notes.size(), 1u);
  EXPECT_EQ(planned.notes[0].fate, sidecar_fate::no_video);
}

std::string big_endian(std::uint64_t value, int bytes) {
  std::string out;
  for (int k = bytes - 1; k >= 0; --k)
    out += static_cast<char>(value >> (8 * k) & 0xFF);
  return out;
}

std::string box(const char *type, const std::string &content, std::uint64_t size = 0) {
  return big_endian(size ? size : 8 + content.size(), 4) + type + content;
}

TEST(VideoHeader, ReadsMvhdAndFirmwareFromHeadersAlone) {
  const std::string mvhd =
      box("mvhd", std::string(4, '\0') + big_endian(3575644077, 4) + std::string(84, '\0'));
  const std::string mvhd_64 = box("mvhd", std::string("\1\0\0\0", 4) + big_endian(3800000000, 8));
  const std::string udta = box("udta", box("FIRM", "H23.01.01.10.00"));
  const std::string start = box("ftyp", "mp41") + big_endian(1, 4) + "mdat" + big_endian(16, 8);
  std::string empty_boxes; // more of them than the reading may take
  for (int k = 0; k < 9000; ++k)
    empty_boxes += box("free", "");
  struct example {
    std::string file;
    bool found;
    std::uint64_t time;
    std::string firmware;
  };
  const example examples[] = {
      {start + box("moov", mvhd + box("trak", std::string(64, 'x')) + udta), true, 3575644077, "H23"},
      {start + box("moov", mvhd_64), true, 3800000000, ""},
      {start + box("moov", mvhd + udta, 0), true, 3575644077, "H23"},          // size 0: to the end
      {start + box("moov", mvhd, 4096), false, 0, ""},                         // past the end of the file
      {start + box("free", "", 4) + box("moov", mvhd), false, 0, ""},          // a size below 8
      {start + box("moov", mvhd.substr(0, 10)), false, 0, ""},                 // cut short
      {start + box("moov", box("mvhd", std::string(12, '\0'))), false, 0, ""}, // creation time 0
      {empty_boxes + box("moov", mvhd), false, 0, ""},
  };
  for (const example &e : examples) {
    const std::string &file = e.file;
    video_header header;
    bool found = read_video_header(
        file.size(),
        [&](std::uint64_t offset, unsigned char *into, std::size_t size) {
          EXPECT_LE(offset + size, file.size());
          std::memcpy(into, file.data() + offset, size);
          return size;
        },
        header);
    EXPECT_EQ(found, e.found) << &e - examples;
    EXPECT_LE(header.bytes_read, most_header_bytes);
    if (found) {
      EXPECT_EQ(header.creation_time, e.time);
      EXPECT_EQ(header.firmware, e.firmware);
    }
  }
}

TEST(VideoHeader, FirmwareFromHero12OnWritesUtc) {
  for (std::string_view firmware : {"H23.01.01.10.00", "H24.01", "H99"})
    EXPECT_TRUE(firmware_writes_utc(firmware)) << firmware;
  for (std::string_view firmware :
       {"HD9.01.01.72.00", "HD5.02", "H19.03", "H21.01", "H22.01", "", "H2", "X23"})
    EXPECT_FALSE(firmware_writes_utc(firmware)) << firmware;
}

} // namespace
