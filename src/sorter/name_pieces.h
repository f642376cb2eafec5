#pragma once

// The pieces the name module's two files share: the camera names (camera_names.cpp) and
// the names this program gives (final_names.cpp). Nothing outside them includes this.

#include "sorter/camera_names.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace name_pieces {

constexpr char16_t hevc_letter = u'X';
constexpr char16_t avc_letter = u'H';
constexpr char16_t spherical_letter = u'S';
constexpr char16_t proxy_letter = u'L';
constexpr char16_t older_chapter_letter = u'P'; // GP010007.MP4, a later chapter of GOPR0007.MP4
constexpr std::u16string_view first_of_older_camera = u"PR";
constexpr char16_t date_separator = u'_'; // after the date, and after a temporary number
constexpr std::size_t temporary_digits = 4;
/// What date_prefix_mask writes, as a shape: "#" where a token puts a digit.
constexpr std::u16string_view date_shape = u"####-##-##_##-##-##";

inline bool is_digit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

/// Whether every unit is a digit, and there is one.
bool all_digits(std::u16string_view units);

/// Whether the name, upper-cased, is upper.
bool upper_equals(std::u16string_view name, std::u16string_view upper);

template <std::size_t size> void copy_units(std::array<char16_t, size> &into, std::u16string_view from) {
  for (std::size_t k = 0; k < size; ++k)
    into[k] = from[k];
}

/// The extension of a camera name of a role, without its dot: MP4, 360, LRV, THM.
std::u16string_view camera_extension(file_role role, bool spherical);

/// The extension of a name this program gives a role, with its dot: .mp4, .360, .lrv, .thm.
std::u16string_view final_extension(file_role role, bool spherical);

/// The number in front of a temporary name (1000..9999, then "_"); 0 when there is none.
std::uint16_t temporary_number(std::u16string_view name);

/// The length of a date at the start of a name, as date_prefix_mask writes it, valid or
/// not: digits where the mask has a token, its other units as they are; 0 when there is none.
std::size_t date_shape_length(std::u16string_view name);

/// Why a text cannot be a camera's file-name prefix; none when it can.
prefix_refusal refusal_of_prefix(std::u16string_view prefix);

/// A camera name exactly as a camera writes it, with a prefix or none: GX, GH or GP with six
/// digits, GOPR with four, GS with six for a 360 video, GL with six for a proxy; upper
/// case, ".MP4", ".360", ".THM" or ".LRV". As -c gives it back, and as a prefixed camera
/// name must be.
bool parse_camera_name_as_given(std::u16string_view name, name_parts &parts);

/// A final name of any form: long (with or without a prefix), dated, and with short_form
/// also the 8.3 one.
bool parse_final(std::u16string_view name, bool short_form, name_parts &parts);

} // namespace name_pieces
