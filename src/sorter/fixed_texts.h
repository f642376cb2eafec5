#pragma once

#include "runtime/text.h"

#include <string_view>

// The texts the sorter writes, kept in one place (those of the run flow, the banner and the
// help screen are in app/app_texts.h). Scripts and people read them and compare them byte
// for byte, so they stay exactly as they are: the spaces, and the "\n\r" in front of most
// messages, after which print_line's own "\r\n" follows. "{}" marks where fill() puts a
// value, and the compiler counts them.

namespace fixed_text {

// The scan.
constexpr slotted_text<1> processing_files_in = u"Processing files in {}";
constexpr std::u16string_view recursively = u" recursively";
constexpr std::u16string_view processing_end = u"...";
constexpr slotted_text<1> folder_not_listed = u"    [!!] Could not list {}. Skipping...";

// The eligibility pass and the planning, with -v.
constexpr slotted_text<1> files_found = u"  Found {} files.\n\r";
constexpr slotted_text<1> examining = u"  > Examining {}";
constexpr slotted_text<1> match = u"    > Match {}";
constexpr slotted_text<1> splits_character = u"    > No match {}: its pieces would cut a character in two";
constexpr slotted_text<1> short_name_left = u"    > No match {}: an 8.3 name this program gives";
constexpr slotted_text<1> spherical_short = u"    > No match {}: a 360 video has no 8.3 name";
constexpr slotted_text<1> prefix_short = u"    > No match {}: an 8.3 name has no room for its prefix";
constexpr slotted_text<1> prefix_not_upper = u"    > No match {}: its camera name is not in upper case";
constexpr slotted_text<1> prefix_characters =
    u"    > No match {}: its prefix is not 1 to 28 letters, digits and - _ + ( ) , .";
constexpr slotted_text<1> prefix_temporary =
    u"    > No match {}: its prefix begins with four digits and _, as a temporary name";
constexpr slotted_text<1> prefix_dated = u"    > No match {}: its prefix begins with a date, as -d writes it";
constexpr slotted_text<2> examined = u"  {} files examined, {} eligible files found";
constexpr slotted_text<1> sidecar_without_video = u"    > Sidecar {} left alone: no video of its own";
constexpr slotted_text<1> sidecar_of_two_videos =
    u"    > Sidecar {} left alone: it would belong to more than one video";
constexpr slotted_text<3> recording_in_camera_zone =
    u"    > Recording of {} started {}, {}, as the camera was set";
constexpr slotted_text<2> recording_clock_differs = u"    > Recording of {}: its clock (CDAT) says {}";
constexpr slotted_text<2> no_usable_time = u"    > No usable time in {}: {}";
constexpr std::u16string_view no_movie_header = u"no movie header (moov with mvhd) can be read";
constexpr std::u16string_view unknown_clock = u"its udta cannot be read to its end, so its clock is unknown";
constexpr std::u16string_view unknown_version = u"its mvhd is of an unknown version";
constexpr std::u16string_view no_creation_time = u"it holds no creation time";
constexpr std::u16string_view zone_never_set = u"its zone was never set (TZON 32767) and it holds no CDAT";
constexpr slotted_text<2> recording_by_camera_clock =
    u"    > Recording of {} started {}, by the camera's clock";
constexpr slotted_text<2> recording_in_utc = u"    > Recording of {} started {}, UTC shown in local time";
constexpr slotted_text<1> recording_by_last_change =
    u"    > Recording of {}: no start time in its videos, each chapter dated by its last change";
constexpr slotted_text<1> sidecar_already_there = u"    > Sidecar {} left alone: its video has one already";

// Files left out of a run, shown without -v.
constexpr slotted_text<2> unreadable_chapter =
    u"    [!!] Could not read {}: {}. Its recording stays as it is...";
constexpr slotted_text<2> camera_name_taken = u"    [!!] {} keeps its name: its camera name {} is taken";

// Why an operation on a file failed.
constexpr std::u16string_view name_is_taken = u"the name is taken";
constexpr std::u16string_view file_is_gone = u"the file is not there";
constexpr std::u16string_view no_permission = u"no permission";
constexpr std::u16string_view medium_is_read_only = u"the medium is read-only";
constexpr std::u16string_view file_in_use = u"the file is in use";
constexpr std::u16string_view system_refused = u"the system refused it";

// The end of a run with nothing to rename.
constexpr std::u16string_view no_files = u"\n\r  No GoPro files found at specified path. Aborting";

// The preview.
constexpr std::u16string_view preview_heading = u"\n\r  Renaming Preview:";
constexpr slotted_text<2> preview_line = u"    {}  -->  {}";
constexpr slotted_text<2> second_name_line = u"    {}  -->  removed, a second name of {}";

// The confirmation and the two rename passes.
constexpr std::u16string_view prompt = u"\n\r  Press any key to continue renaming or [Esc] to abort...";
constexpr std::u16string_view nothing_changed = u"\n\r  No file was changed";
constexpr slotted_text<1> temporary_heading = u"\n\r  Renaming {} files with temp names...";
constexpr slotted_text<2> renamed_line = u"    [OK] {}  -->  {}";
constexpr slotted_text<2> could_not_rename = u"    [!!] Could not rename {}, to {}. Skipping...";
constexpr slotted_text<1> not_as_listed = u"    [!!] {} is no longer what the scan found. Skipping...";
constexpr slotted_text<1> why_line = u"    > Why: {}";
constexpr slotted_text<2> second_name_removed = u"    [OK] Removed {}, a second name of {}";
constexpr slotted_text<2> second_name_kept =
    u"    [!!] Could not remove {}, a second name of {}. Skipping...";
constexpr slotted_text<2> temporary_summary = u"\n\r  Successfully renamed {} of {} temp files.";
constexpr slotted_text<1> final_heading = u"\n\r  Renaming {} files to final names...";
constexpr slotted_text<2> final_summary = u"\n\r  Successfully renamed {} of {} files.";
constexpr std::u16string_view closing = u"\n\r";

} // namespace fixed_text
