#include "runtime/dates.h"
#include "runtime/dates_platform.h"
#include "runtime/listing.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(DateValues, CountSecondsOfWallClockTime) {
  EXPECT_EQ(make_date(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(make_date(1970, 1, 1, 23, 59, 59), 86399);
  EXPECT_EQ(make_date(2038, 1, 19, 3, 14, 8), 2147483648); // past 31 bits
  EXPECT_EQ(make_date(2040, 1, 1, 0, 0, 0), 2208988800);
  EXPECT_EQ(make_date(9999, 12, 31, 23, 59, 59), latest_date);
  EXPECT_EQ(make_date(2024, 2, 29, 12, 0, 0), 1709208000);
  EXPECT_EQ(make_date(2023, 11, 5, 14, 32, 9), 1699194729);
  EXPECT_EQ(make_date(2000, 2, 29, 0, 0, 0), 951782400); // divisible by 400: a leap year
}

TEST(DateValues, RefuseWhatIsNoDateInRange) {
  EXPECT_EQ(make_date(10000, 1, 1, 0, 0, 0), -1);
  EXPECT_EQ(make_date(9999, 2, 29, 0, 0, 0), -1);
  EXPECT_EQ(make_date(1969, 12, 31, 23, 59, 59), -1);
  EXPECT_EQ(make_date(2023, 2, 29, 12, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 4, 31, 0, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 257, 1, 0, 0, 0), -1); // a month or day that would wrap around in a byte
  EXPECT_EQ(make_date(2023, 1, 257, 0, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 13, 1, 0, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 0, 1, 0, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 1, 0, 0, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 1, 1, 24, 0, 0), -1);
  EXPECT_EQ(make_date(2023, 1, 1, 0, 60, 0), -1);
  EXPECT_EQ(make_date(2023, 1, 1, 0, 0, 60), -1);
  EXPECT_EQ(make_date(2023, 1, 1, -1, 0, 0), -1);
}

TEST(DateValues, BreakDownWithoutZone) {
  date_value value = 1699194729;
  EXPECT_EQ(date_year(value), 2023);
  EXPECT_EQ(date_month(value), 11);
  EXPECT_EQ(date_day(value), 5);
  EXPECT_EQ(date_hour(value), 14);
  EXPECT_EQ(date_minute(value), 32);
  EXPECT_EQ(date_second(value), 9);
  EXPECT_EQ(date_year(-1), -1);
  EXPECT_EQ(date_second(-1), -1);
  EXPECT_EQ(date_day(2147483647), 19);
  EXPECT_EQ(date_year(latest_date), 9999);
  EXPECT_EQ(date_second(latest_date), 59);
  EXPECT_EQ(date_year(latest_date + 1), -1);
  EXPECT_EQ(date_month(INT64_MAX), -1);
  EXPECT_EQ(date_month(INT64_MIN), -1);
  // Past the years std::chrono holds a year would wrap around to one that looks valid.
  dates_platform::wall_clock fields{};
  EXPECT_FALSE(dates_platform::utc_fields(INT64_MAX, fields));
  EXPECT_FALSE(dates_platform::utc_fields(INT64_MIN, fields));
  EXPECT_FALSE(dates_platform::utc_fields(946080000001, fields));
  EXPECT_FALSE(dates_platform::utc_fields(-946080000001, fields));
  ASSERT_TRUE(dates_platform::utc_fields(946080000000, fields));
  EXPECT_EQ((std::vector{fields.year, fields.month, fields.day}), (std::vector{31950, 1, 31}));
  ASSERT_TRUE(dates_platform::utc_fields(-946080000000, fields));
  EXPECT_EQ(fields.year, -28011);
  ASSERT_TRUE(dates_platform::utc_fields(-86401, fields));
  EXPECT_EQ((std::vector{fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second}),
            (std::vector{1969, 12, 30, 23, 59, 59}));
}

TEST(DateMasks, WriteTokensInAnyCase) {
  const date_value value = 1699194729; // 2023-11-05 14:32:09
  EXPECT_EQ(format_date(u"%yyyy-%mm-%dd_%hh-%ii-%ss", value), u"2023-11-05_14-32-09");
  EXPECT_EQ(format_date(u"%dd.%mm.%yy", value), u"05.11.23");
  EXPECT_EQ(format_date(u"%YYYY%Ii", value), u"202332");
  EXPECT_EQ(format_date(u"%yyy", value), u"23y");
  EXPECT_EQ(format_date(std::u16string_view(u"%yyyy").substr(0, 3), value),
            u"23"); // the mask ends inside a token
  EXPECT_EQ(format_date(u"%%dd", value), u"%05");
  EXPECT_EQ(format_date(u"100%", value), u"100%");
  EXPECT_EQ(format_date(u"%x%", value), u"%x%");
  EXPECT_EQ(format_date(u"no tokens here", value), u"no tokens here");
  EXPECT_EQ(format_date(u"yyyy-mm", value), u"yyyy-mm"); // letters without "%" are text
  EXPECT_EQ(format_date(u"%yyyy-%mm-%dd_%hh-%ii-%ss", 0), u"1970-01-01_00-00-00");
  EXPECT_EQ(format_date(u"%hh:%ii", make_date(2023, 1, 2, 3, 4, 5)), u"03:04");
}

TEST(DateMasks, NothingForNoDateOrNoMask) {
  EXPECT_EQ(format_date(u"%yyyy and text", -1), u"");
  EXPECT_EQ(format_date(u"", 1699194729), u"");
  // The whole value counts, past 2038 too; outside the range there is no date.
  EXPECT_EQ(format_date(u"%yyyy-%mm-%dd_%hh-%ii-%ss", 2208988800), u"2040-01-01_00-00-00");
  EXPECT_EQ(format_date(u"%yyyy-%mm-%dd", latest_date), u"9999-12-31");
  EXPECT_EQ(format_date(u"%yyyy", latest_date + 1), u"");
  EXPECT_EQ(format_date(u"%yyyy", -2), u"");
  EXPECT_EQ(format_date(u"%yyyy", INT64_MAX), u"");
}

TEST(DateMasks, HaveNoLengthLimit) {
  text mask;
  text expected;
  for (int k = 0; k < 5000; ++k) {
    mask += u"%dd.%mm.%yyyy ";
    expected += u"05.11.2023 ";
  }
  text written = format_date(mask, 1699194729);
  EXPECT_EQ(written.size(), expected.size());
  EXPECT_EQ(written, expected);
}

// The offset from UTC of the zones the tests run in (set by the test runner).
bool zone_offset(std::int64_t &offset) {
  const char *zone = std::getenv("TZ");
  std::string name = zone ? zone : "";
  if (name == "UTC0")
    offset = 0;
  else if (name == "IST-5:30")
    offset = 19800;
  else if (name == "NST3:30")
    offset = -12600;
  else
    return false;
  return true;
}

date_value date_of_file(const scratch_folder &folder, const std::string &name, std::int64_t utc_seconds) {
  folder.write(name, "x");
  using namespace std::chrono;
  auto when = file_clock::from_sys(sys_seconds{seconds{utc_seconds}});
  std::filesystem::last_write_time(folder.path() / name, when);
  std::int64_t listing = open_listing(-1, folder.at(), u"*");
  date_value value = 0;
  while (next_entry(listing))
    if (entry_name(listing) == scratch_folder::as_text(name))
      value = entry_date(listing, time_selector::last_write);
  close_listing(listing);
  return value;
}

TEST(EntryDate, IsTheLocalWallClockTimeOfTheLastWrite) {
  std::int64_t offset = 0;
  if (!zone_offset(offset))
    GTEST_SKIP() << "runs in the zones UTC0, IST-5:30 and NST3:30";
  scratch_folder folder;
  // 2023-05-06 15:59:02 local, whatever the zone.
  const std::int64_t local = 1683388742;
  EXPECT_EQ(date_of_file(folder, "GX010123.MP4", local - offset), make_date(2023, 5, 6, 15, 59, 2));
  EXPECT_EQ(format_date(u"%yyyy-%mm-%dd_%hh-%ii-%ss", date_of_file(folder, "b.MP4", local - offset)),
            u"2023-05-06_15-59-02");
  // 2040 is a date like any other.
  date_value late = date_of_file(folder, "late.MP4", 2208988800 - offset);
  EXPECT_EQ(format_date(u"%yyyy-%mm-%dd_%hh-%ii-%ss", late), u"2040-01-01_00-00-00");
}

TEST(EntryDate, NeedsAnOpenListingOrAFile) {
  EXPECT_EQ(entry_date(4242, time_selector::last_write), 0);
  EXPECT_EQ(entry_date(-77, time_selector::last_write), 0);
  scratch_folder folder;
  EXPECT_EQ(file_date(folder.at("gone.MP4"), time_selector::last_write), -1);
}

} // namespace
