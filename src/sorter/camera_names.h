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
//   GOPR0007.MP4   older cameras: a recording's first file; its next chapters GP010007.MP4...
//   GS010135.360   a 360 video (MAX), in any letter case; its thumbnail GS010135.THM, proxy GL010135.LRV
//   CamA-GH010206.MP4   with a file-name prefix (GoPro Labs): exactly a camera name behind it
//
// and this program gives
//
//   G-HEVC-0123-01.mp4                       the final name: HEVC for X, AVC for any other letter
//   2023-05-06_15-59-02_G-HEVC-0123-01.mp4   dated (-d, -t), or "_G-HEVC-0123-01.mp4" without a valid date
//   GX012301.mp4                             the 8.3 form (-o)
//   4821_G-HEVC-0123-01.mp4                  a temporary name: 1000 to 9999, "_", the final name
//   4821_GX010123.MP4                        a temporary name of -c: the number, "_", the camera name
//   G-360-0135-01.360                        a 360 video's final name
//   2023-05-06_15-59-02_CamA-G-AVC-0206-01.mp4   a prefix stays in front of the chapter part
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

/// The longest file-name prefix a camera writes.
constexpr std::size_t longest_prefix = 28;

/// Why a name that ends in a camera name is no prefixed camera name.
enum class prefix_refusal : std::uint8_t {
  none,
  not_upper_case, ///< the camera name behind it is not written in upper case
  characters,     ///< more than 28 units, or one other than A-Z, a-z, 0-9, - _ + ( ) , .
  temporary,      ///< it begins with four digits and "_", as a temporary name does
  dated           ///< it begins with a date, as -d writes it, or with "_" alone
};

/// What a name is, as far as this program is concerned.
enum class name_kind : std::uint8_t {
  other,            ///< none of the names below
  camera,           ///< the camera's: GX010123.MP4, GL010123.LRV, GX010123.THM, in any letter case
  cut_character,    ///< a camera name whose pieces would cut a character beyond U+FFFF in two
  final_name,       ///< a long final name, plain or dated (an 8.3 one is a camera name too)
  temporary,        ///< 1000..9999, "_", a final name (long or 8.3)
  camera_temporary, ///< 1000..9999, "_", a camera name exactly as -c gives it
};

/// Which file of a chapter a name is.
enum class file_role : std::uint8_t {
  video,    ///< .MP4, .mp4; .360 for a 360 video
  proxy,    ///< .LRV, .lrv
  thumbnail ///< .THM, .thm
};

/// How a final name is written.
enum class name_form : std::uint8_t {
  plain,   ///< G-HEVC-0123-01.mp4
  dated,   ///< 2023-05-06_15-59-02_G-HEVC-0123-01.mp4, or _G-HEVC-0123-01.mp4 without a date
  short_83 ///< GX012301.mp4
};

/// A name taken apart once: its kind and the pieces every other name of its chapter is
/// made of.
struct name_parts {
  name_kind kind = name_kind::other;
  file_role role = file_role::video;
  name_form form = name_form::plain; ///< final and temporary names
  /// A camera name that is exactly an 8.3 name this program gives: "G", a letter that
  /// upper-casing leaves as it is, six units, ".mp4", ".lrv" or ".thm" in lower case.
  bool short_final = false;
  bool spherical = false;    ///< a 360 video (GS010135.360), or any name of the final form G-360-...
  char16_t codec_letter = 0; ///< upper-cased; a long final name keeps only X (HEVC), S (360) or H (AVC)
  std::array<char16_t, camera_name::chapter_length> chapter{};     ///< as written
  std::array<char16_t, camera_name::recording_length> recording{}; ///< as written
  date_value date = no_date; ///< the dated form's date; no_date for the "_" alone
  std::uint16_t number = 0;  ///< temporary names: 1000..9999
  text prefix;               ///< a camera's file-name prefix (CamA-), as written; empty for none
  prefix_refusal refused = prefix_refusal::none; ///< other: why a name ending in a camera name is none
  bool operator==(const name_parts &) const = default;
};

/// Takes a name apart: what kind it is and its pieces. Nothing else looks inside a name. A
/// name is read as a camera name of 12 units first, then as a temporary name, then as a
/// final name (dated, then plain, then with a prefix), then as a prefixed camera name.
name_parts classify_name(std::u16string_view name);

/// Whether a name is one only -a takes: a 360 video's or one with a prefix.
bool needs_all(const name_parts &parts);

/// The final name of a chapter's pieces: the kind is not looked at; the form, the date,
/// the pieces and the role are.
text final_name(const name_parts &parts);

/// The pieces of a final name (kind final_name) made of a chapter file's pieces, in the
/// form given; the date is used by the dated form only.
name_parts final_parts_of(const name_parts &chapter, name_form form, date_value date);

/// How an 8.3 name the program gives (short_final) reads as a final name: its recording
/// and chapter come in the other order than in the camera name of the same units.
name_parts as_short_final(const name_parts &camera);

/// The name a temporary name stands for: the final name of a temporary name, the camera
/// name of one of -c's.
text finished_name(const name_parts &temporary);

/// The temporary name of a final or camera name: the number (1000..9999), "_", the name.
text temporary_name(std::uint64_t number, std::u16string_view name);

/// The date part of a dated final name: the date value through date_prefix_mask; the
/// empty text for a file without a valid date.
text date_text_of(date_value value);

/// Whether the codec letter stands for HEVC ("X"); every other letter is AVC, but for a
/// 360 video's.
bool is_hevc(const name_parts &parts);

/// Whether the chapter is "PR", the first file of an older camera's recording (GOPR0007).
bool is_first_of_older_camera(const name_parts &parts);

/// Whether a final name's pieces are ones a camera writes: a chapter of two digits or
/// (an older camera's AVC, with no prefix) "PR", and a recording of four digits (-c gives
/// camera names back only for those).
bool camera_writes(const name_parts &parts);

/// The camera name -c gives a final name back: its prefix, then upper case, ".MP4" (".360"
/// for a 360 video), ".THM" or ".LRV". older_camera picks GP for an AVC chapter (the
/// cameras that named a recording's first file GOPR); a proxy of a GH, GX or GS video is
/// GL, an older camera's has its video's stem.
text camera_name_of(const name_parts &final_parts, bool older_camera);

/// The upper-cased first eight units of a camera name, which a chapter file shares with
/// its thumbnail, and with its proxy but for the codec letter.
using name_stem = std::array<char16_t, camera_name::stem_length>;

/// The stem of a camera name's pieces.
name_stem stem_of(const name_parts &camera);

/// Whether a name is an older camera's first video of a recording, under its camera or its
/// final name: GOPR0007.MP4, G-AVC-0007-PR.mp4.
bool is_older_recordings_first_video(const name_parts &parts);

/// Whether a camera name is an older camera's (HERO5 and before): GOPR0007, GP010007.
bool is_older_camera(const name_parts &camera);

/// The stem of the sidecar of a role that a camera writes beside a camera video: a
/// thumbnail has the video's stem; a proxy has "L" for the codec letter of a GH, GX or 360
/// video, and the video's own stem for an older camera's (GOPR, GP) and any other.
name_stem sidecar_stem_of(const name_parts &video, file_role role);

/// The stem a chapter has in every state of a run, as far as a final name tells: the
/// codec letter "X" for HEVC, "S" for 360 and "H" for AVC, the rest upper-cased.
name_stem chapter_stem_of(const name_parts &parts);

/// The chapter stems a name may stand for, at most three.
using chapter_stem_set = std::array<std::optional<name_stem>, 3>;

/// The chapter stems (chapter_stem_of) of the videos beside which a camera writes this
/// sidecar, as sidecar_stem_of gives it: for a thumbnail its own (a GS one a 360 video's or
/// an AVC one's); for a proxy with "L" for the codec letter the HEVC, the AVC and the 360
/// one, none for a proxy with "X" or "H", its own for any other.
chapter_stem_set chapter_stems_of_sidecar(const name_parts &sidecar);
