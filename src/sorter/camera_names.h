#pragma once

#include "runtime/dates.h"
#include "runtime/text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The shapes of names, and the one place that looks inside a name. A camera writes
//
//   GX010123.MP4   "G", the codec letter, the chapter (01), the recording (0123), ".MP4"
//   GX010123.THM   the chapter's thumbnail
//   GL010123.LRV   its low-resolution proxy, with "L" for the codec letter
//
// and this program gives
//
//   G-HEVC-0123-01.mp4                       the final name: HEVC for X, AVC for any other letter
//   2023-05-06_15-59-02_G-HEVC-0123-01.mp4   dated (-d), or "_G-HEVC-0123-01.mp4" without a valid date
//   GX012301.mp4                             the 8.3 form (-o)
//   4821_G-HEVC-0123-01.mp4                  a temporary name: 1000 to 9999, "_", the final name
//
// A sidecar's final and temporary names end in its own extension, ".thm" or ".lrv".

/// Where the pieces of a camera name lie, counted in UTF-16 code units from 0.
namespace camera_name {
constexpr std::size_t length = 12;
constexpr std::size_t codec_at = 1;
constexpr std::size_t chapter_at = 2;
constexpr std::size_t chapter_length = 2;
constexpr std::size_t recording_at = 4;
constexpr std::size_t recording_length = 4;
constexpr std::size_t stem_length = 8; ///< what a chapter shares with its sidecars
constexpr std::size_t dot_at = 8;
constexpr std::size_t extension_at = 9;
} // namespace camera_name

/// The numbers in front of a temporary name, both included.
constexpr std::uint64_t lowest_temporary_number = 1000;
constexpr std::uint64_t highest_temporary_number = 9999;

/// 2023-05-06 15:59:02 becomes 2023-05-06_15-59-02.
constexpr std::u16string_view date_prefix_mask = u"%yyyy-%mm-%dd_%hh-%ii-%ss";

/// The extension of every video's new names.
constexpr std::u16string_view video_extension = u".mp4";

/// What a name test says of a name.
enum class name_verdict {
  other,           ///< not a name the test takes
  taken,           ///< a name the test takes
  splits_character ///< a chapter file's shape, but its pieces would cut a character in two
};

/// Whether a name is a camera chapter file: 12 code units, the first "G" and the last three
/// "MP4" after upper-casing; nothing else is looked at. A name whose pieces would cut a
/// character beyond U+FFFF in two (GX0💀123.MP4) would give a broken final name.
name_verdict eligibility_test(std::u16string_view name);

/// The pieces of a chapter file's name that its new names are made of.
struct chapter_parts {
  text codec_letter;     ///< the second unit, upper-cased
  text chapter;          ///< the third and fourth units, as written
  text recording_number; ///< the fifth to eighth units, as written
  bool operator==(const chapter_parts &) const = default;
};

/// Takes apart a name that passed eligibility_test (a sidecar's name too).
chapter_parts chapter_parts_of(std::u16string_view name);

/// How a final name is written.
enum class name_form {
  plain,   ///< G-HEVC-0123-01.mp4
  dated,   ///< 2023-05-06_15-59-02_G-HEVC-0123-01.mp4, or _G-HEVC-0123-01.mp4 without a date
  short_83 ///< GX012301.mp4
};

/// Everything a final name is made of.
struct final_name_parts {
  name_form form = name_form::plain;
  text date_text; ///< dated form: the date through date_prefix_mask, or empty for no valid date
  chapter_parts pieces;
  text extension = text(video_extension);
  bool operator==(const final_name_parts &) const = default;
};

/// The date part of a dated final name: the date value through date_prefix_mask; the empty
/// text for a file without a valid date.
text date_text_of(date_value value);

/// The final name made of the parts.
text final_name(const final_name_parts &parts);

/// Takes apart a name exactly as final_name writes one, or gives nothing for any other
/// name. A long form keeps only the codec word, so its codec letter comes back as "X" for
/// HEVC and "H" for AVC; the 8.3 form keeps the letter itself.
std::optional<final_name_parts> parse_final_name(std::u16string_view name);

/// The temporary name of a final name: the number (1000..9999), "_", the final name.
text temporary_name(std::uint64_t number, std::u16string_view final_name);

/// Takes apart a name exactly as temporary_name writes one around a final name; nothing
/// for any other name.
std::optional<final_name_parts> parse_temporary_name(std::u16string_view name);

/// Whether a name is a temporary name this program gives: the name test of -f.
name_verdict temporary_name_test(std::u16string_view name);

/// A sidecar's own extension in lower case (".lrv" or ".thm") when the name has the shape
/// of one: 12 code units, "." ninth, LRV or THM last in any case; the empty text otherwise.
text sidecar_extension(std::u16string_view name);

/// The upper-cased first eight units of a camera name, which a chapter file shares with
/// its thumbnail, and with its proxy but for the codec letter.
using name_stem = std::array<char16_t, camera_name::stem_length>;

/// The stem of a camera name (at least eight units long).
name_stem stem_of(std::u16string_view name);

/// The stem of a chapter's proxy: the chapter's own, with "L" for the codec letter.
name_stem proxy_stem_of(name_stem chapter);

/// The stem a video under its final name had, as far as the name tells: the codec letter
/// "X" for HEVC and "H" for AVC.
name_stem stem_of_final(const final_name_parts &video);

/// The stems of the videos under final names that a sidecar with this camera name may
/// belong to, as stem_of_final gives them: its own for a thumbnail; for a proxy with "L"
/// for the codec letter, the HEVC and the AVC one. The second is empty when there is one.
std::array<std::optional<name_stem>, 2> final_stems_of_sidecar(std::u16string_view sidecar);
