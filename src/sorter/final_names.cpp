// The names this program gives: final names (plain, dated, 8.3, with a prefix), temporary
// names and the names they stand for, built and taken apart again exactly.
#include "sorter/name_pieces.h"

#include <algorithm>
#include <array>

using namespace name_pieces;

namespace {

// The pieces of a long final name: prefix, codec word, separators.
constexpr std::u16string_view long_prefix = u"G-";
constexpr std::u16string_view piece_separator = u"-";
constexpr std::u16string_view hevc_word = u"HEVC";
constexpr std::u16string_view avc_word = u"AVC";
constexpr std::u16string_view spherical_word = u"360";
constexpr std::size_t final_extension_length = 4; // ".mp4", ".360", ".lrv", ".thm"

std::u16string_view codec_word(const name_parts &parts) {
  return parts.codec_letter == hevc_letter ? hevc_word : parts.spherical ? spherical_word : avc_word;
}

// The role of a final extension as this program writes it, in lower case.
std::optional<file_role> role_of_final_extension(std::u16string_view extension, bool spherical) {
  for (file_role role : {file_role::video, file_role::proxy, file_role::thumbnail})
    if (extension == final_extension(role, spherical))
      return role;
  return std::nullopt;
}

template <std::size_t size> void append_units(text &to, const std::array<char16_t, size> &units) {
  to.append(units.begin(), units.end());
}

// A long final name, a prefix in front or none: [prefix]G-WORD-rrrr-cc.ext, the pieces at
// fixed places from its end.
bool parse_long_form(std::u16string_view name, name_parts &parts) {
  for (std::u16string_view word : {hevc_word, avc_word, spherical_word}) {
    std::size_t tail = long_prefix.size() + word.size() + piece_separator.size() +
                       camera_name::recording_length + piece_separator.size() + camera_name::chapter_length +
                       final_extension_length;
    if (name.size() < tail)
      continue;
    std::u16string_view prefix = name.substr(0, name.size() - tail);
    std::u16string_view rest = name.substr(prefix.size());
    std::size_t recording_at = long_prefix.size() + word.size() + piece_separator.size();
    std::size_t chapter_at = recording_at + camera_name::recording_length + piece_separator.size();
    bool spherical = word == spherical_word;
    std::optional<file_role> role =
        role_of_final_extension(rest.substr(chapter_at + camera_name::chapter_length), spherical);
    if (!role || rest.substr(0, long_prefix.size()) != long_prefix ||
        rest.substr(long_prefix.size(), word.size()) != word ||
        rest.substr(recording_at - piece_separator.size(), piece_separator.size()) != piece_separator ||
        rest.substr(chapter_at - piece_separator.size(), piece_separator.size()) != piece_separator ||
        (!prefix.empty() && refusal_of_prefix(prefix) != prefix_refusal::none))
      continue;
    parts.role = *role;
    parts.spherical = spherical;
    parts.codec_letter = word == hevc_word ? hevc_letter : spherical ? spherical_letter : avc_letter;
    parts.prefix = text(prefix);
    copy_units(parts.recording, rest.substr(recording_at));
    copy_units(parts.chapter, rest.substr(chapter_at));
    return true;
  }
  return false;
}

// The value of the date at the start of a name, when it has a date's shape and its fields
// make a valid date; no_date otherwise.
date_value date_at_start(std::u16string_view name) {
  if (date_shape_length(name) == 0)
    return no_date;
  std::array<std::int32_t, 6> fields{};
  std::size_t field = 0;
  std::size_t at = 0;
  for (char16_t shape : date_shape) {
    if (shape == u'#')
      fields[field] = fields[field] * 10 + (name[at] - u'0');
    else
      ++field; // a separator ends a field
    ++at;
  }
  return make_date(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

// The 8.3 form: "G", the codec letter as upper-casing leaves it, recording, chapter, and a
// final extension in lower case.
bool parse_short_form(std::u16string_view name, name_parts &parts) {
  std::optional<file_role> role = name.size() == camera_name::length
                                      ? role_of_final_extension(name.substr(camera_name::dot_at), false)
                                      : std::nullopt;
  if (!role || name[0] != u'G' || upper_char(name[camera_name::codec_at]) != name[camera_name::codec_at])
    return false;
  constexpr std::size_t recording_at = camera_name::codec_at + 1;
  constexpr std::size_t chapter_at = recording_at + camera_name::recording_length;
  parts.form = name_form::short_83;
  parts.role = *role;
  parts.codec_letter = name[camera_name::codec_at];
  copy_units(parts.recording, name.substr(recording_at));
  copy_units(parts.chapter, name.substr(chapter_at));
  return true;
}

} // namespace

std::u16string_view name_pieces::final_extension(file_role role, bool spherical) {
  if (role == file_role::video)
    return spherical ? u".360" : u".mp4";
  return role == file_role::proxy ? u".lrv" : u".thm";
}

bool name_pieces::parse_final(std::u16string_view name, bool short_form, name_parts &parts) {
  if (short_form && parse_short_form(name, parts))
    return true;
  // A dated name: a valid date and "_", or "_" alone for a file without a valid date.
  date_value date = date_at_start(name);
  std::size_t length = date < 0 ? 0 : date_shape.size();
  if (name.substr(length, 1) == std::u16string_view(&date_separator, 1) &&
      parse_long_form(name.substr(length + 1), parts)) {
    parts.form = name_form::dated;
    parts.date = date;
    return true;
  }
  parts = {};
  return parse_long_form(name, parts);
}

text final_name(const name_parts &parts) {
  text name;
  if (parts.form == name_form::short_83) {
    name += u'G';
    name += parts.codec_letter;
    append_units(name, parts.recording);
    append_units(name, parts.chapter);
  } else {
    if (parts.form == name_form::dated) {
      name = date_text_of(parts.date);
      name += date_separator;
    }
    name += parts.prefix;
    name += long_prefix;
    name += codec_word(parts);
    name += piece_separator;
    append_units(name, parts.recording);
    name += piece_separator;
    append_units(name, parts.chapter);
  }
  name += final_extension(parts.role, parts.spherical);
  return name;
}

name_parts final_parts_of(const name_parts &chapter, name_form form, date_value date) {
  name_parts parts;
  parts.kind = name_kind::final_name;
  parts.role = chapter.role;
  parts.form = form;
  parts.spherical = chapter.spherical;
  parts.prefix = chapter.prefix;
  parts.codec_letter = form == name_form::short_83 ? chapter.codec_letter : chapter_stem_of(chapter)[1];
  parts.chapter = chapter.chapter;
  parts.recording = chapter.recording;
  parts.date = form == name_form::dated ? date : no_date;
  return parts;
}

name_parts as_short_final(const name_parts &camera) {
  // GX012301.mp4: the camera reads chapter 01, recording 2301; the 8.3 form recording
  // 0123, chapter 01. The same six units either way.
  std::array<char16_t, camera_name::chapter_length + camera_name::recording_length> units;
  std::copy(camera.chapter.begin(), camera.chapter.end(), units.begin());
  std::copy(camera.recording.begin(), camera.recording.end(), units.begin() + camera_name::chapter_length);
  name_parts parts = camera;
  parts.kind = name_kind::final_name;
  parts.form = name_form::short_83;
  parts.short_final = false;
  std::copy(units.begin(), units.begin() + camera_name::recording_length, parts.recording.begin());
  std::copy(units.begin() + camera_name::recording_length, units.end(), parts.chapter.begin());
  return parts;
}

text finished_name(const name_parts &temporary) {
  if (temporary.kind != name_kind::camera_temporary)
    return final_name(temporary);
  name_stem stem = stem_of(temporary);
  text name = temporary.prefix;
  name.append(stem.begin(), stem.end());
  name += u'.';
  name += camera_extension(temporary.role, temporary.spherical);
  return name;
}

text temporary_name(std::uint64_t number, std::u16string_view name) {
  return decimal_text(static_cast<std::int64_t>(number)) + date_separator + text(name);
}

text date_text_of(date_value value) { return format_date(date_prefix_mask, value); }
