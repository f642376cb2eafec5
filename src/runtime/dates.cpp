#include "runtime/dates_platform.h"

#include "runtime/listing.h"

#include <chrono>

namespace {

bool fields_of(date_value value, dates_platform::wall_clock &fields) {
  return value >= 0 && value <= latest_date && dates_platform::utc_fields(value, fields);
}

std::int32_t field_of(date_value value, std::int32_t dates_platform::wall_clock::*field) {
  dates_platform::wall_clock fields;
  return fields_of(value, fields) ? fields.*field : -1;
}

void append_field(text &out, std::int32_t field, bool two_digits) {
  if (two_digits && field < 10)
    out += u'0';
  out += decimal_text(field);
}

bool token_at(std::u16string_view mask, std::size_t at, std::u16string_view token) {
  if (mask.size() - at < token.size())
    return false;
  // Lower-case ASCII letters need no mapping; only other characters go through it.
  for (std::size_t k = 0; k < token.size(); ++k) {
    char16_t unit = mask[at + k];
    if (unit != token[k] && ((unit >= u'a' && unit <= u'z') || lower_char(unit) != token[k]))
      return false;
  }
  return true;
}

} // namespace

bool dates_platform::utc_fields(std::int64_t seconds, wall_clock &fields) {
  using namespace std::chrono;
  // A year past -32767..32767 would wrap around in std::chrono::year and pass its ok() as
  // another year: refused before. 30,000 years each way hold every file time (to 30828).
  constexpr std::int64_t reach = std::int64_t{30000} * 365 * 86400;
  if (seconds < -reach || seconds > reach)
    return false;
  std::int64_t days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
  std::int64_t rest = seconds - days * 86400;
  year_month_day date{sys_days{std::chrono::days{days}}};
  if (!date.ok())
    return false;
  fields = {static_cast<std::int32_t>(static_cast<int>(date.year())),
            static_cast<std::int32_t>(static_cast<unsigned>(date.month())),
            static_cast<std::int32_t>(static_cast<unsigned>(date.day())),
            static_cast<std::int32_t>(rest / 3600),
            static_cast<std::int32_t>(rest / 60 % 60),
            static_cast<std::int32_t>(rest % 60)};
  return true;
}

date_value make_date(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                     std::int32_t minute, std::int32_t second) {
  using namespace std::chrono;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return -1;
  if (year < 1970 || year > 9999)
    return -1;
  year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                      std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok())
    return -1;
  // Years up to 9999 need more than 32 bits of seconds: the count is done in 64.
  auto days = static_cast<std::int64_t>(sys_days{date}.time_since_epoch().count());
  return days * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

std::int32_t date_year(date_value value) { return field_of(value, &dates_platform::wall_clock::year); }

std::int32_t date_month(date_value value) { return field_of(value, &dates_platform::wall_clock::month); }

std::int32_t date_day(date_value value) { return field_of(value, &dates_platform::wall_clock::day); }

std::int32_t date_hour(date_value value) { return field_of(value, &dates_platform::wall_clock::hour); }

std::int32_t date_minute(date_value value) { return field_of(value, &dates_platform::wall_clock::minute); }

std::int32_t date_second(date_value value) { return field_of(value, &dates_platform::wall_clock::second); }

text format_date(std::u16string_view mask, date_value value) {
  dates_platform::wall_clock fields;
  // A value that cannot be broken down has no fields to write: like -1, no text at all.
  if (mask.empty() || !fields_of(value, fields))
    return {};
  text out;
  out.reserve(mask.size() + 8);
  for (std::size_t at = 0; at < mask.size();) {
    if (mask[at] != u'%') {
      out += mask[at++];
      continue;
    }
    if (token_at(mask, at + 1, u"yyyy")) {
      append_field(out, fields.year, false);
      at += 5;
      continue;
    }
    struct two_digit_token {
      std::u16string_view letters;
      std::int32_t field;
    };
    const two_digit_token tokens[] = {{u"yy", fields.year % 100}, {u"mm", fields.month},
                                      {u"dd", fields.day},        {u"hh", fields.hour},
                                      {u"ii", fields.minute},     {u"ss", fields.second}};
    bool matched = false;
    for (const two_digit_token &token : tokens) {
      if (token_at(mask, at + 1, token.letters)) {
        append_field(out, token.field, true);
        at += 3;
        matched = true;
        break;
      }
    }
    if (!matched)
      out += mask[at++]; // a plain "%"; the next character may start a token
  }
  return out;
}

namespace {

// A time that cannot be read (the file went away, stat failed) is no date, rather than the
// first second of 1970; nor is one the platform cannot turn into calendar fields (the far
// future or past).
date_value date_of_file_time(bool read, std::int64_t ticks) {
  if (!read)
    return -1;
  dates_platform::wall_clock fields;
  if (!dates_platform::local_fields(ticks, fields))
    return -1;
  return make_date(fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second);
}

} // namespace

date_value entry_date(std::int64_t listing, time_selector selector) {
  if (entry_type(listing) == entry_kind::none)
    return 0;
  std::int64_t ticks = 0;
  bool read = entry_file_time(listing, selector, ticks);
  return date_of_file_time(read, ticks);
}

date_value file_date(std::u16string_view path, time_selector selector) {
  std::int64_t ticks = 0;
  bool read = file_time(path, selector, ticks);
  return date_of_file_time(read, ticks);
}

date_value local_date_at(std::int64_t utc_seconds) {
  dates_platform::wall_clock fields;
  if (!dates_platform::local_fields_at(utc_seconds, fields))
    return -1;
  return make_date(fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second);
}
