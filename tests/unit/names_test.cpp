#include "sorter/eligibility.h"

#include <gtest/gtest.h>

namespace {

TEST(TemporaryNames, AreThePrograms) {
  for (std::u16string_view name :
       {u"4821_G-HEVC-0123-01.mp4", u"1000_G-AVC-0007-PR.mp4", u"9999_GX012301.mp4",
        u"1234_2023-05-06_15-59-02_G-HEVC-0123-01.mp4", u"5555_G-HEVC-0123-01.lrv", u"5555_GX012301.thm",
        u"4821_G-AVC-a b?-?1.mp4"})
    EXPECT_TRUE(temporary_name_test(name)) << std::string(name.begin(), name.end());
}

TEST(TemporaryNames, NothingElse) {
  for (std::u16string_view name :
       {u"2019_Paris.mp4", u"0123_G-HEVC-0123-02.mp4", u"GX010124.MP4", u"G-HEVC-0123-01.mp4",
        u"482_G-HEVC-0123-01.mp4", u"4821-G-HEVC-0123-01.mp4", u"4821_G-HEVC-0123-01.MP4",
        u"4821_G-HEVC-0123-01.mov", u"4821_G-HEVC-0123-001.mp4",
        u"4821_2023-05-06_15-5x-02_G-HEVC-0123-01.mp4", u"4821_2023-05-06_15-59-02_GX012301.mp4",
        u"4821_GX0123012.mp4", u"4821_", u""})
    EXPECT_FALSE(temporary_name_test(name)) << std::string(name.begin(), name.end());
}

TEST(Sidecars, ShapeAndExtension) {
  EXPECT_EQ(sidecar_extension(u"GL010123.LRV"), u".lrv");
  EXPECT_EQ(sidecar_extension(u"gx010123.thm"), u".thm");
  EXPECT_EQ(sidecar_extension(u"GOPR0007.LRV"), u".lrv");
  EXPECT_EQ(sidecar_extension(u"GX010123.MP4"), u"");
  EXPECT_EQ(sidecar_extension(u"GX0101234.THM"), u"");
  EXPECT_EQ(sidecar_extension(u"GX01012_3THM"), u"");
}

} // namespace
