// The names a camera writes, how a name is read, and the stems that tie a chapter's files
// together in every state of a run.
#include "sorter/name_pieces.h"

#include <algorithm>

using namespace name_pieces;

namespace {

// Whether a piece boundary falls between the two halves of a surrogate pair.
bool cuts_pair(std::u16string_view name, std::size_t boundary) {
  return is_high_surrogate(name[boundary - 1]) && is_low_surrogate(name[boundary]);
}

bool allowed_in_prefix(char16_t unit) {
  return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') || is_digit(unit) ||
         std::u16string_view(u"-_+(),.").find(unit) != std::u16string_view::npos;
}

// The camera's own names of a chapter file: 12 units, "G" first and MP4 (no dot checked),
// or "GS", a dot and 360 last (a 360 video), or a dot and LRV or THM last, in any case.
bool parse_camera_name(std::u16string_view name, name_parts &parts) {
  if (name.size() != camera_name::length || upper_char(name[0]) != u'G')
    return false;
  std::u16string_view extension = name.substr(camera_name::extension_at);
  bool dotted = name[camera_name::dot_at] == u'.';
  if (upper_equals(extension, u"MP4")) {
    parts.role = file_role::video;
  } else if (dotted && extension == u"360" && upper_char(name[camera_name::codec_at]) == spherical_letter) {
    parts.role = file_role::video;
    parts.spherical = true;
  } else if (dotted && upper_equals(extension, u"LRV")) {
    parts.role = file_role::proxy;
  } else if (dotted && upper_equals(extension, u"THM")) {
    parts.role = file_role::thumbnail;
  } else {
    return false;
  }
  for (std::size_t boundary : {camera_name::chapter_at, camera_name::recording_at, camera_name::dot_at}) {
    if (cuts_pair(name, boundary)) {
      parts = {};
      parts.kind = name_kind::cut_character;
      parts.spherical = extension == u"360";
      return true;
    }
  }
  parts.kind = name_kind::camera;
  parts.codec_letter = upper_char(name[camera_name::codec_at]);
  copy_units(parts.chapter, name.substr(camera_name::chapter_at));
  copy_units(parts.recording, name.substr(camera_name::recording_at));
  parts.short_final = !parts.spherical && name[0] == u'G' &&
                      parts.codec_letter == name[camera_name::codec_at] &&
                      name.substr(camera_name::dot_at) == final_extension(parts.role, false);
  return true;
}

// A camera's file-name prefix in front of a camera name exactly as a camera writes it (in
// upper case); a name that ends in a camera name but is none says why in refused.
bool parse_prefixed_camera_name(std::u16string_view name, name_parts &parts) {
  if (name.size() <= camera_name::length)
    return false;
  std::u16string_view prefix = name.substr(0, name.size() - camera_name::length);
  std::u16string_view camera = name.substr(prefix.size());
  text upper(camera);
  for (char16_t &unit : upper)
    unit = upper_char(unit);
  name_parts read;
  if (!parse_camera_name_as_given(upper, read) || upper.starts_with(u"GOPR") || read.codec_letter == u'P')
    return false;
  prefix_refusal refused = upper != camera ? prefix_refusal::not_upper_case : refusal_of_prefix(prefix);
  if (refused != prefix_refusal::none) {
    parts = {};
    parts.refused = refused;
    return false;
  }
  parts = read;
  parts.kind = name_kind::camera;
  parts.prefix = text(prefix);
  return true;
}

// Four digits and "_" at the start, as in front of a temporary name.
bool starts_with_number(std::u16string_view name) {
  return name.find(date_separator) == temporary_digits && all_digits(name.substr(0, temporary_digits));
}

name_stem with_codec_letter(name_stem stem, char16_t letter) {
  stem[camera_name::codec_at] = letter;
  return stem;
}

} // namespace

bool name_pieces::all_digits(std::u16string_view units) {
  for (char16_t unit : units)
    if (!is_digit(unit))
      return false;
  return !units.empty();
}

bool name_pieces::upper_equals(std::u16string_view name, std::u16string_view upper) {
  return std::ranges::equal(name, upper,
                            [](char16_t unit, char16_t wanted) { return upper_char(unit) == wanted; });
}

std::u16string_view name_pieces::camera_extension(file_role role, bool spherical) {
  if (role == file_role::video)
    return spherical ? u"360" : u"MP4";
  return role == file_role::proxy ? u"LRV" : u"THM";
}

std::uint16_t name_pieces::temporary_number(std::u16string_view name) {
  if (!starts_with_number(name))
    return 0;
  std::uint16_t number = 0;
  for (std::size_t k = 0; k < temporary_digits; ++k)
    number = static_cast<std::uint16_t>(number * 10 + (name[k] - u'0'));
  // Four digits are never above the highest; a number below the lowest is a user's.
  return number < lowest_temporary_number ? 0 : number;
}

std::size_t name_pieces::date_shape_length(std::u16string_view name) {
  bool dated =
      std::ranges::equal(name.substr(0, date_shape.size()), date_shape, [](char16_t unit, char16_t shape) {
        return shape == u'#' ? is_digit(unit) : unit == shape;
      });
  return dated ? date_shape.size() : 0;
}

prefix_refusal name_pieces::refusal_of_prefix(std::u16string_view prefix) {
  if (starts_with_number(prefix))
    return prefix_refusal::temporary;
  // "_" alone is what -d writes for a file without a date: such a name would read back as one.
  if (date_shape_length(prefix) != 0 || prefix.starts_with(date_separator))
    return prefix_refusal::dated;
  for (char16_t unit : prefix)
    if (!allowed_in_prefix(unit))
      return prefix_refusal::characters;
  return prefix.empty() || prefix.size() > longest_prefix ? prefix_refusal::characters : prefix_refusal::none;
}

bool name_pieces::parse_camera_name_as_given(std::u16string_view name, name_parts &parts) {
  if (name.size() > camera_name::length)
    return parse_prefixed_camera_name(name, parts);
  if (name.size() != camera_name::length)
    return false;
  // Pieces are taken as substrings, which never reach past a name's end.
  if (name.substr(0, 1) != u"G" || name.substr(camera_name::dot_at, 1) != u"." ||
      !all_digits(name.substr(camera_name::recording_at, camera_name::recording_length)))
    return false;
  std::u16string_view extension = name.substr(camera_name::extension_at);
  char16_t letter = name[camera_name::codec_at];
  bool spherical = letter == spherical_letter && extension == camera_extension(file_role::video, true);
  bool found = false;
  for (file_role role : {file_role::video, file_role::proxy, file_role::thumbnail}) {
    if (extension == camera_extension(role, spherical)) {
      parts.role = role;
      found = true;
    }
  }
  std::u16string_view chapter = name.substr(camera_name::chapter_at, camera_name::chapter_length);
  bool first_file = letter == u'O' && chapter == first_of_older_camera;
  if (!found || !(first_file || all_digits(chapter)))
    return false;
  bool proxy = parts.role == file_role::proxy;
  bool lettered = letter == hevc_letter || letter == avc_letter || letter == spherical_letter;
  if (!(first_file || letter == older_chapter_letter || (proxy ? letter == proxy_letter : lettered)) ||
      (letter == spherical_letter && parts.role == file_role::video && !spherical))
    return false;
  parts.spherical = spherical;
  parts.codec_letter = letter;
  copy_units(parts.chapter, chapter);
  copy_units(parts.recording, name.substr(camera_name::recording_at));
  return true;
}

name_parts classify_name(std::u16string_view name) {
  name_parts parts;
  if (parse_camera_name(name, parts))
    return parts;
  parts = {};
  if (std::uint16_t number = temporary_number(name)) {
    std::u16string_view rest = name.substr(temporary_digits + 1);
    name_kind kind = parse_final(rest, true, parts)                          ? name_kind::temporary
                     : (parts = {}, parse_camera_name_as_given(rest, parts)) ? name_kind::camera_temporary
                                                                             : name_kind::other;
    if (kind != name_kind::other) {
      parts.kind = kind;
      parts.number = number;
      return parts;
    }
  }
  parts = {};
  if (parse_final(name, false, parts)) {
    parts.kind = name_kind::final_name;
    return parts;
  }
  parts = {};
  parse_prefixed_camera_name(name, parts);
  return parts;
}

bool needs_all(const name_parts &parts) { return parts.spherical || !parts.prefix.empty(); }

bool is_hevc(const name_parts &parts) { return parts.codec_letter == hevc_letter; }

bool is_first_of_older_camera(const name_parts &parts) {
  return std::u16string_view(parts.chapter.data(), parts.chapter.size()) == first_of_older_camera;
}

bool camera_writes(const name_parts &parts) {
  std::u16string_view chapter(parts.chapter.data(), parts.chapter.size());
  return (all_digits(chapter) || (chapter == first_of_older_camera && !is_hevc(parts) && !parts.spherical &&
                                  parts.prefix.empty())) &&
         all_digits(std::u16string_view(parts.recording.data(), parts.recording.size()));
}

text camera_name_of(const name_parts &final_parts, bool older_camera) {
  text name = final_parts.prefix;
  name += u'G';
  bool avc = !is_hevc(final_parts) && !final_parts.spherical;
  bool older = avc && (older_camera || is_first_of_older_camera(final_parts));
  if (avc && is_first_of_older_camera(final_parts)) {
    name += u"OPR";
  } else {
    bool proxy = final_parts.role == file_role::proxy;
    name += proxy && !older         ? proxy_letter
            : is_hevc(final_parts)  ? hevc_letter
            : final_parts.spherical ? spherical_letter
            : older                 ? older_chapter_letter
                                    : avc_letter;
    name.append(final_parts.chapter.begin(), final_parts.chapter.end());
  }
  name.append(final_parts.recording.begin(), final_parts.recording.end());
  name += u'.';
  name += camera_extension(final_parts.role, final_parts.spherical);
  return name;
}

name_stem stem_of(const name_parts &camera) {
  name_stem stem = {u'G', camera.codec_letter};
  std::ranges::transform(camera.chapter, stem.begin() + camera_name::chapter_at, upper_char);
  std::ranges::transform(camera.recording, stem.begin() + camera_name::recording_at, upper_char);
  return stem;
}

bool is_older_recordings_first_video(const name_parts &parts) {
  return parts.role == file_role::video && is_first_of_older_camera(parts) && !is_hevc(parts) &&
         !parts.spherical &&
         (parts.kind == name_kind::final_name ||
          (parts.kind == name_kind::camera && parts.codec_letter == u'O'));
}

bool is_older_camera(const name_parts &camera) {
  return camera.codec_letter == u'O' || camera.codec_letter == older_chapter_letter;
}

name_stem sidecar_stem_of(const name_parts &video, file_role role) {
  bool lettered = video.codec_letter == hevc_letter || video.codec_letter == avc_letter || video.spherical;
  return role == file_role::proxy && lettered ? with_codec_letter(stem_of(video), proxy_letter)
                                              : stem_of(video);
}

name_stem chapter_stem_of(const name_parts &parts) {
  return with_codec_letter(stem_of(parts), is_hevc(parts)    ? hevc_letter
                                           : parts.spherical ? spherical_letter
                                                             : avc_letter);
}

chapter_stem_set chapter_stems_of_sidecar(const name_parts &sidecar) {
  name_stem stem = stem_of(sidecar);
  if (sidecar.role == file_role::proxy && sidecar.codec_letter == proxy_letter)
    return {with_codec_letter(stem, hevc_letter), with_codec_letter(stem, avc_letter),
            with_codec_letter(stem, spherical_letter)};
  if (sidecar.role == file_role::proxy &&
      (sidecar.codec_letter == hevc_letter || sidecar.codec_letter == avc_letter))
    return {}; // GX010123.LRV: the camera writes GL010123.LRV beside GX010123.MP4
  if (sidecar.role == file_role::thumbnail && sidecar.codec_letter == spherical_letter)
    return {chapter_stem_of(sidecar), stem}; // GS010135.THM: a 360 video's, or a GS010135.MP4's
  return {chapter_stem_of(sidecar)};
}
