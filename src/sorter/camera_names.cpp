#include "sorter/camera_names.h"

namespace {

// The pieces of a long final name: prefix, codec word, separators.
constexpr std::u16string_view long_prefix = u"G-";
constexpr std::u16string_view piece_separator = u"-";
constexpr std::u16string_view hevc_word = u"HEVC";
constexpr std::u16string_view avc_word = u"AVC";
constexpr char16_t hevc_letter = u'X';
constexpr char16_t avc_letter = u'H';
constexpr char16_t proxy_letter = u'L';
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

// A camera name's shape: 12 units, "G" first and the extension last, in any case.
bool has_camera_shape(std::u16string_view name, std::u16string_view extension) {
  return name.size() == camera_name::length && upper_char(name[0]) == u'G' &&
         upper_equals(name.substr(camera_name::extension_at), extension);
}

// Whether a piece boundary falls between the two halves of a surrogate pair.
bool cuts_pair(std::u16string_view name, std::size_t boundary) {
  return is_high_surrogate(name[boundary - 1]) && is_low_surrogate(name[boundary]);
}

std::u16string_view codec_word(std::u16string_view codec_letter) {
  return codec_letter == std::u16string_view(&hevc_letter, 1) ? hevc_word : avc_word;
}

bool is_final_extension(std::u16string_view extension) {
  return extension == video_extension || extension == u".lrv" || extension == u".thm";
}

// The parts of a long final name without its date: G-HEVC-rrrr-cc.ext or G-AVC-rrrr-cc.ext.
bool parse_long_form(std::u16string_view name, final_name_parts &parts) {
  for (std::u16string_view word : {hevc_word, avc_word}) {
    std::size_t recording_at = long_prefix.size() + word.size() + piece_separator.size();
    std::size_t chapter_at = recording_at + camera_name::recording_length + piece_separator.size();
    std::size_t extension_at = chapter_at + camera_name::chapter_length;
    if (name.size() <= extension_at || name.substr(0, long_prefix.size()) != long_prefix ||
        name.substr(long_prefix.size(), word.size()) != word ||
        name.substr(recording_at - piece_separator.size(), piece_separator.size()) != piece_separator ||
        name.substr(chapter_at - piece_separator.size(), piece_separator.size()) != piece_separator ||
        !is_final_extension(name.substr(extension_at)))
      continue;
    parts.pieces.codec_letter = text(1, word == hevc_word ? hevc_letter : avc_letter);
    parts.pieces.recording_number = text(name.substr(recording_at, camera_name::recording_length));
    parts.pieces.chapter = text(name.substr(chapter_at, camera_name::chapter_length));
    parts.extension = text(name.substr(extension_at));
    return true;
  }
  return false;
}

// The length of the date at the start of a name, read by date_prefix_mask, when the digits
// there make a valid date; 0 otherwise.
std::size_t date_length(std::u16string_view name) {
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
  return make_date(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]) < 0 ? 0 : at;
}

name_stem with_codec_letter(name_stem stem, char16_t letter) {
  stem[camera_name::codec_at] = letter;
  return stem;
}

} // namespace

name_verdict eligibility_test(std::u16string_view name) {
  if (!has_camera_shape(name, u"MP4"))
    return name_verdict::other;
  for (std::size_t boundary : {camera_name::chapter_at, camera_name::recording_at, camera_name::dot_at})
    if (cuts_pair(name, boundary))
      return name_verdict::splits_character;
  return name_verdict::taken;
}

chapter_parts chapter_parts_of(std::u16string_view name) {
  return {text(1, upper_char(name[camera_name::codec_at])),
          text(name.substr(camera_name::chapter_at, camera_name::chapter_length)),
          text(name.substr(camera_name::recording_at, camera_name::recording_length))};
}

text date_text_of(date_value value) { return format_date(date_prefix_mask, value); }

text final_name(const final_name_parts &parts) {
  const chapter_parts &pieces = parts.pieces;
  if (parts.form == name_form::short_83)
    return u"G" + pieces.codec_letter + pieces.recording_number + pieces.chapter + parts.extension;
  text name;
  if (parts.form == name_form::dated)
    name = parts.date_text + date_separator;
  name += long_prefix;
  name += codec_word(pieces.codec_letter);
  name += piece_separator;
  name += pieces.recording_number;
  name += piece_separator;
  name += pieces.chapter;
  name += parts.extension;
  return name;
}

std::optional<final_name_parts> parse_final_name(std::u16string_view name) {
  final_name_parts parts;
  // The 8.3 form: the codec letter is always one that upper-casing leaves as it is.
  if (name.size() == camera_name::length && name[0] == u'G' &&
      upper_char(name[camera_name::codec_at]) == name[camera_name::codec_at] &&
      is_final_extension(name.substr(camera_name::dot_at))) {
    constexpr std::size_t recording_at = camera_name::codec_at + 1;
    constexpr std::size_t chapter_at = recording_at + camera_name::recording_length;
    parts.form = name_form::short_83;
    parts.pieces = {text(1, name[camera_name::codec_at]),
                    text(name.substr(chapter_at, camera_name::chapter_length)),
                    text(name.substr(recording_at, camera_name::recording_length))};
    parts.extension = text(name.substr(camera_name::dot_at));
    return parts;
  }
  if (parse_long_form(name, parts))
    return parts;
  // A dated name: a valid date and "_", or "_" alone for a file without a valid date.
  std::size_t date = date_length(name);
  if (date >= name.size() || name[date] != date_separator || !parse_long_form(name.substr(date + 1), parts))
    return std::nullopt;
  parts.form = name_form::dated;
  parts.date_text = text(name.substr(0, date));
  return parts;
}

text temporary_name(std::uint64_t number, std::u16string_view final_name) {
  return decimal_text(static_cast<std::int64_t>(number)) + date_separator + text(final_name);
}

std::optional<final_name_parts> parse_temporary_name(std::u16string_view name) {
  if (name.size() <= temporary_digits || name[temporary_digits] != date_separator)
    return std::nullopt;
  std::uint64_t number = 0;
  for (std::size_t k = 0; k < temporary_digits; ++k) {
    if (!is_digit(name[k]))
      return std::nullopt;
    number = number * 10 + (name[k] - u'0');
  }
  if (number < lowest_temporary_number || number > highest_temporary_number)
    return std::nullopt;
  return parse_final_name(name.substr(temporary_digits + 1));
}

name_verdict temporary_name_test(std::u16string_view name) {
  return parse_temporary_name(name) ? name_verdict::taken : name_verdict::other;
}

text sidecar_extension(std::u16string_view name) {
  if (name.size() != camera_name::length || name[camera_name::dot_at] != u'.')
    return {};
  if (has_camera_shape(name, u"LRV"))
    return u".lrv";
  if (has_camera_shape(name, u"THM"))
    return u".thm";
  return {};
}

name_stem stem_of(std::u16string_view name) {
  name_stem stem;
  for (std::size_t k = 0; k < stem.size(); ++k)
    stem[k] = upper_char(name[k]);
  return stem;
}

name_stem proxy_stem_of(name_stem chapter) { return with_codec_letter(chapter, proxy_letter); }

name_stem stem_of_final(const final_name_parts &video) {
  const chapter_parts &pieces = video.pieces;
  name_stem stem = {u'G', codec_word(pieces.codec_letter) == hevc_word ? hevc_letter : avc_letter};
  for (std::size_t k = 0; k < camera_name::chapter_length; ++k)
    stem[camera_name::chapter_at + k] = upper_char(pieces.chapter[k]);
  for (std::size_t k = 0; k < camera_name::recording_length; ++k)
    stem[camera_name::recording_at + k] = upper_char(pieces.recording_number[k]);
  return stem;
}

std::array<std::optional<name_stem>, 2> final_stems_of_sidecar(std::u16string_view sidecar) {
  name_stem stem = stem_of(sidecar);
  char16_t letter = stem[camera_name::codec_at];
  if (letter == proxy_letter && sidecar_extension(sidecar) == u".lrv")
    return {with_codec_letter(stem, hevc_letter), with_codec_letter(stem, avc_letter)};
  return {with_codec_letter(stem, letter == hevc_letter ? hevc_letter : avc_letter), std::nullopt};
}
