#include "sorter/camera_names.h"

#include <algorithm>

namespace {

// The pieces of a long final name: prefix, codec word, separators.
constexpr std::u16string_view long_prefix = u"G-";
constexpr std::u16string_view piece_separator = u"-";
constexpr std::u16string_view hevc_word = u"HEVC";
constexpr std::u16string_view avc_word = u"AVC";
constexpr char16_t hevc_letter = u'X';
constexpr char16_t avc_letter = u'H';
constexpr char16_t proxy_letter = u'L';
constexpr char16_t older_chapter_letter = u'P'; // GP010007.MP4, a later chapter of GOPR0007.MP4
constexpr std::u16string_view first_of_older_camera = u"PR";
constexpr char16_t date_separator = u'_'; // after the date, and after a temporary number
constexpr std::size_t temporary_digits = 4;

bool is_digit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool upper_equals(std::u16string_view name, std::u16string_view upper) {
  if (name.size() != upper.size())
    return false;
  for (std::size_t k = 0; k < name.size(); ++k)
    if (upper_char(name[k]) != upper[k])
      return false;
  return true;
}

// Whether a piece boundary falls between the two halves of a surrogate pair.
bool cuts_pair(std::u16string_view name, std::size_t boundary) {
  return is_high_surrogate(name[boundary - 1]) && is_low_surrogate(name[boundary]);
}

std::u16string_view camera_extension(file_role role) {
  return role == file_role::video ? u"MP4" : role == file_role::proxy ? u"LRV" : u"THM";
}

// The role of a final extension as this program writes it, in lower case.
std::optional<file_role> role_of_final_extension(std::u16string_view extension) {
  for (file_role role : {file_role::video, file_role::proxy, file_role::thumbnail})
    if (extension == final_extension(role))
      return role;
  return std::nullopt;
}

template <std::size_t size> void copy_units(std::array<char16_t, size> &into, std::u16string_view from) {
  for (std::size_t k = 0; k < size; ++k)
    into[k] = from[k];
}

template <std::size_t size> void append_units(text &to, const std::array<char16_t, size> &units) {
  to.append(units.begin(), units.end());
}

std::u16string_view codec_word(char16_t codec_letter) {
  return codec_letter == hevc_letter ? hevc_word : avc_word;
}

// The parts of a long final name without its date: G-HEVC-rrrr-cc.ext or G-AVC-rrrr-cc.ext.
bool parse_long_form(std::u16string_view name, name_parts &parts) {
  for (std::u16string_view word : {hevc_word, avc_word}) {
    std::size_t recording_at = long_prefix.size() + word.size() + piece_separator.size();
    std::size_t chapter_at = recording_at + camera_name::recording_length + piece_separator.size();
    std::size_t extension_at = chapter_at + camera_name::chapter_length;
    if (name.size() <= extension_at || name.substr(0, long_prefix.size()) != long_prefix ||
        name.substr(long_prefix.size(), word.size()) != word ||
        name.substr(recording_at - piece_separator.size(), piece_separator.size()) != piece_separator ||
        name.substr(chapter_at - piece_separator.size(), piece_separator.size()) != piece_separator)
      continue;
    std::optional<file_role> role = role_of_final_extension(name.substr(extension_at));
    if (!role)
      continue;
    parts.role = *role;
    parts.codec_letter = word == hevc_word ? hevc_letter : avc_letter;
    copy_units(parts.recording, name.substr(recording_at));
    copy_units(parts.chapter, name.substr(chapter_at));
    return true;
  }
  return false;
}

// The length of the date at the start of a name, read by date_prefix_mask, when the digits
// there make a valid date (its value then in value); 0 otherwise.
std::size_t date_length(std::u16string_view name, date_value &value) {
  std::int32_t fields[6] = {};
  std::size_t field = 0;
  std::size_t at = 0;
  for (std::size_t k = 0; k < date_prefix_mask.size(); ++k) {
    if (date_prefix_mask[k] != u'%') {
      if (at >= name.size() || name[at] != date_prefix_mask[k])
        return 0;
      ++at;
      continue;
    }
    // Every token of the mask is a run of one letter: %yyyy four digits, the others two.
    std::size_t end = date_prefix_mask.find_first_not_of(date_prefix_mask[k + 1], k + 1);
    std::size_t letters = (end == std::u16string_view::npos ? date_prefix_mask.size() : end) - (k + 1);
    for (std::size_t d = 0; d < letters; ++d, ++at) {
      if (at >= name.size() || !is_digit(name[at]))
        return 0;
      fields[field] = fields[field] * 10 + (name[at] - u'0');
    }
    ++field;
    k += letters;
  }
  value = make_date(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
  return value < 0 ? 0 : at;
}

// The 8.3 form: "G", the codec letter as upper-casing leaves it, recording, chapter, and a
// final extension in lower case.
bool parse_short_form(std::u16string_view name, name_parts &parts) {
  if (name.size() != camera_name::length || name[0] != u'G' ||
      upper_char(name[camera_name::codec_at]) != name[camera_name::codec_at])
    return false;
  std::optional<file_role> role = role_of_final_extension(name.substr(camera_name::dot_at));
  if (!role)
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

// A final name of any form: long, dated, and with short also the 8.3 one.
bool parse_final(std::u16string_view name, bool short_form, name_parts &parts) {
  if (short_form && parse_short_form(name, parts))
    return true;
  if (parse_long_form(name, parts))
    return true;
  // A dated name: a valid date and "_", or "_" alone for a file without a valid date.
  date_value date = -1;
  std::size_t length = date_length(name, date);
  if (length >= name.size() || name[length] != date_separator ||
      !parse_long_form(name.substr(length + 1), parts))
    return false;
  parts.form = name_form::dated;
  parts.date = length == 0 ? -1 : date;
  return true;
}

// The camera's own names of a chapter file: 12 units, "G" first and MP4 (no dot checked),
// or a dot and LRV or THM last, in any case.
bool parse_camera_name(std::u16string_view name, name_parts &parts) {
  if (name.size() != camera_name::length || upper_char(name[0]) != u'G')
    return false;
  std::u16string_view extension = name.substr(camera_name::extension_at);
  if (upper_equals(extension, u"MP4"))
    parts.role = file_role::video;
  else if (name[camera_name::dot_at] == u'.' && upper_equals(extension, u"LRV"))
    parts.role = file_role::proxy;
  else if (name[camera_name::dot_at] == u'.' && upper_equals(extension, u"THM"))
    parts.role = file_role::thumbnail;
  else
    return false;
  for (std::size_t boundary : {camera_name::chapter_at, camera_name::recording_at, camera_name::dot_at}) {
    if (cuts_pair(name, boundary)) {
      parts.kind = name_kind::cut_character;
      return true;
    }
  }
  parts.kind = name_kind::camera;
  parts.codec_letter = upper_char(name[camera_name::codec_at]);
  copy_units(parts.chapter, name.substr(camera_name::chapter_at));
  copy_units(parts.recording, name.substr(camera_name::recording_at));
  parts.short_final = name[0] == u'G' && parts.codec_letter == name[camera_name::codec_at] &&
                      name.substr(camera_name::dot_at) == final_extension(parts.role);
  return true;
}

bool all_digits(std::u16string_view units) {
  for (char16_t unit : units)
    if (!is_digit(unit))
      return false;
  return !units.empty();
}

// A camera name exactly as -c writes it: GX, GH or GP with six digits, GOPR with four,
// GL with six for a proxy; upper case, ".MP4", ".THM" or ".LRV" (a proxy GL, GP or GOPR).
bool parse_camera_name_as_given(std::u16string_view name, name_parts &parts) {
  if (name.size() != camera_name::length || name[0] != u'G' || name[camera_name::dot_at] != u'.' ||
      !all_digits(name.substr(camera_name::recording_at, camera_name::recording_length)))
    return false;
  std::u16string_view extension = name.substr(camera_name::extension_at);
  bool found = false;
  for (file_role role : {file_role::video, file_role::proxy, file_role::thumbnail}) {
    if (extension == camera_extension(role)) {
      parts.role = role;
      found = true;
    }
  }
  char16_t letter = name[camera_name::codec_at];
  std::u16string_view chapter = name.substr(camera_name::chapter_at, camera_name::chapter_length);
  bool first_file = letter == u'O' && chapter == first_of_older_camera;
  if (!found || !(first_file || all_digits(chapter)))
    return false;
  bool proxy = parts.role == file_role::proxy;
  if (!(first_file || letter == older_chapter_letter ||
        (proxy ? letter == proxy_letter : letter == hevc_letter || letter == avc_letter)))
    return false;
  parts.codec_letter = letter;
  copy_units(parts.chapter, chapter);
  copy_units(parts.recording, name.substr(camera_name::recording_at));
  return true;
}

// The number and "_" in front of a temporary name; 0 when there is none.
std::uint16_t temporary_number(std::u16string_view name) {
  if (name.size() <= temporary_digits || name[temporary_digits] != date_separator)
    return 0;
  std::uint16_t number = 0;
  for (std::size_t k = 0; k < temporary_digits; ++k) {
    if (!is_digit(name[k]))
      return 0;
    number = static_cast<std::uint16_t>(number * 10 + (name[k] - u'0'));
  }
  return number < lowest_temporary_number || number > highest_temporary_number ? 0 : number;
}

name_stem with_codec_letter(name_stem stem, char16_t letter) {
  stem[camera_name::codec_at] = letter;
  return stem;
}

} // namespace

std::u16string_view final_extension(file_role role) {
  return role == file_role::video ? u".mp4" : role == file_role::proxy ? u".lrv" : u".thm";
}

name_parts classify_name(std::u16string_view name) {
  name_parts parts;
  if (parse_camera_name(name, parts))
    return parts;
  parts = {};
  if (parse_final(name, false, parts)) {
    parts.kind = name_kind::final_name;
    return parts;
  }
  std::uint16_t number = temporary_number(name);
  if (number == 0)
    return {};
  std::u16string_view rest = name.substr(temporary_digits + 1);
  parts = {};
  if (parse_final(rest, true, parts)) {
    parts.kind = name_kind::temporary;
  } else if (parts = {}; parse_camera_name_as_given(rest, parts)) {
    parts.kind = name_kind::camera_temporary;
  } else {
    return {};
  }
  parts.number = number;
  return parts;
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
    name += long_prefix;
    name += codec_word(parts.codec_letter);
    name += piece_separator;
    append_units(name, parts.recording);
    name += piece_separator;
    append_units(name, parts.chapter);
  }
  name += final_extension(parts.role);
  return name;
}

name_parts final_parts_of(const name_parts &chapter, name_form form, date_value date) {
  name_parts parts;
  parts.kind = name_kind::final_name;
  parts.role = chapter.role;
  parts.form = form;
  // A long form keeps the codec word alone: its letter reads back as X or H.
  parts.codec_letter = form == name_form::short_83 ? chapter.codec_letter
                       : is_hevc(chapter)          ? hevc_letter
                                                   : avc_letter;
  parts.chapter = chapter.chapter;
  parts.recording = chapter.recording;
  parts.date = form == name_form::dated ? date : -1;
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
  text name(stem.begin(), stem.end());
  name += u'.';
  name += camera_extension(temporary.role);
  return name;
}

text temporary_name(std::uint64_t number, std::u16string_view name) {
  return decimal_text(static_cast<std::int64_t>(number)) + date_separator + text(name);
}

text date_text_of(date_value value) { return format_date(date_prefix_mask, value); }

bool is_hevc(const name_parts &parts) { return parts.codec_letter == hevc_letter; }

bool is_first_of_older_camera(const name_parts &parts) {
  return std::u16string_view(parts.chapter.data(), parts.chapter.size()) == first_of_older_camera;
}

bool camera_writes(const name_parts &parts) {
  std::u16string_view chapter(parts.chapter.data(), parts.chapter.size());
  return (all_digits(chapter) || (chapter == first_of_older_camera && !is_hevc(parts))) &&
         all_digits(std::u16string_view(parts.recording.data(), parts.recording.size()));
}

text camera_name_of(const name_parts &final_parts, bool older_camera) {
  text name(1, u'G');
  bool older = !is_hevc(final_parts) && (older_camera || is_first_of_older_camera(final_parts));
  if (is_first_of_older_camera(final_parts) && !is_hevc(final_parts)) {
    name += u"OPR";
  } else {
    bool proxy = final_parts.role == file_role::proxy;
    name += proxy && !older        ? proxy_letter
            : is_hevc(final_parts) ? hevc_letter
            : older                ? older_chapter_letter
                                   : avc_letter;
    append_units(name, final_parts.chapter);
  }
  append_units(name, final_parts.recording);
  name += u'.';
  name += camera_extension(final_parts.role);
  return name;
}

name_stem stem_of(const name_parts &camera) {
  name_stem stem = {u'G', camera.codec_letter};
  for (std::size_t k = 0; k < camera_name::chapter_length; ++k)
    stem[camera_name::chapter_at + k] = upper_char(camera.chapter[k]);
  for (std::size_t k = 0; k < camera_name::recording_length; ++k)
    stem[camera_name::recording_at + k] = upper_char(camera.recording[k]);
  return stem;
}

bool is_older_camera(const name_parts &camera) {
  return camera.codec_letter == u'O' || camera.codec_letter == older_chapter_letter;
}

name_stem sidecar_stem_of(const name_parts &video, file_role role) {
  bool lettered = video.codec_letter == hevc_letter || video.codec_letter == avc_letter;
  return role == file_role::proxy && lettered ? with_codec_letter(stem_of(video), proxy_letter)
                                              : stem_of(video);
}

name_stem chapter_stem_of(const name_parts &parts) {
  return with_codec_letter(stem_of(parts), is_hevc(parts) ? hevc_letter : avc_letter);
}

std::array<std::optional<name_stem>, 2> chapter_stems_of_sidecar(const name_parts &sidecar) {
  name_stem stem = stem_of(sidecar);
  if (sidecar.role == file_role::proxy && sidecar.codec_letter == proxy_letter)
    return {with_codec_letter(stem, hevc_letter), with_codec_letter(stem, avc_letter)};
  if (sidecar.role == file_role::proxy &&
      (sidecar.codec_letter == hevc_letter || sidecar.codec_letter == avc_letter))
    return {}; // GX010123.LRV: the camera writes GL010123.LRV beside GX010123.MP4
  return {chapter_stem_of(sidecar), std::nullopt};
}
