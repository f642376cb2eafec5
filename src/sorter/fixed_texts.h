#pragma once

#include <string_view>

// The texts this program writes, kept in one place. Scripts and people read them and
// compare them byte for byte, so they stay exactly as they are: the spelling
// ("paramenter" included), the spaces, and the "\n\r" in front of most messages, after
// which print_line's own "\r\n" follows. "{}" marks where fill() puts a value.

namespace fixed_text {

enum segment_kind { piece, whole_line };

// One coloured piece of the banner. A foreground of -1 keeps the current colour. A piece
// is written as it is (a row's last piece ends in LF CR); a whole line gets the line end.
struct banner_segment {
  std::u16string_view text;
  int foreground;
  int background;
  segment_kind kind;
};

// The action camera, 22 rows of 74 columns. Backslashes are part of the drawing.
constexpr banner_segment banner[] = {
    {uR"x(      ..............................................................      )x", -1, -1, whole_line},
    {uR"x(    /|\:::::::::::::)x", -1, -1, piece},
    {uR"x(()x", 12, 0, piece},
    {uR"x(||||)x", 0, 12, piece},
    {uR"x())x", 12, 0, piece},
    {uR"x(::::::::::::::::-.  .......-:\\||||||||||||\    )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||:.--/ .                         \\|:.- ./-.--------:::\||||||||||\   )x", 7, 0, whole_line},
    {uR"x(   ||..-| | )x", 7, 0, piece},
    {uR"x( [[[[[[[[[[[]]]]]]]]]]  )x", 14, 0, piece},
    {uR"x(  |||.: -|:::...   .\|\  .-:|||||.|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||...| | )x", 7, 0, piece},
    {uR"x([[[[[[\[[[[[]]]]]]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.: -|::..  .--\\|[[- .--||||.|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||...| | )x", 7, 0, piece},
    {uR"x([[[[[[[.||.[]]]]]]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.: .|:. . .-. :|||\|  ..\\\|-|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||...| | )x", 7, 0, piece},
    {uR"x([[[[[[[[      -]]]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.: .|:. .  .::  .\.   ..\:.|:|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||..-| | )x", 7, 0, piece},
    {uR"x([[[[[[[|        ]]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.: -|::. .. ..::..   ...:-.|/|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||...| | )x", 7, 0, piece},
    {uR"x([[[[[[.          ]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.: .|::\. ..       ..:-.:. :/|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||..-| | )x", 7, 0, piece},
    {uR"x([[[[|    |       ]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.- -|--:\:-.......-::--.:- ./|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||..-| | )x", 7, 0, piece},
    {uR"x([[[[[|\[[\      |]]]]]] )x", 14, 0, piece},
    {uR"x(  |||.- .\\:\\\\\|||||||/////:.  /:   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||.-:| | )x", 7, 0, piece},
    {uR"x([[[[[[[[        ]]]]]]] )x", 14, 0, piece},
    {uR"x(  |.|::-  ......................:/|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||.-:| | )x", 7, 0, piece},
    {uR"x([[[[[[|       .-]]]]]]] )x", 14, 0, piece},
    {uR"x(  |.::..                     ..:::|   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||.-:| . )x", 7, 0, piece},
    {uR"x([[[[[[  .|[[]]]]]]]]]]] )x", 14, 0, piece},
    {uR"x(  |::::::::::::::::::::::::::::-:||   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||.-:\.  )x", 7, 0, piece},
    {uR"x( [[[[[[[[[[[]]]]]]]]]]  )x", 14, 0, piece},
    {uR"x( ./::::::::::::::.:.:.:::::::::-:||   )x"
     u"\n\r",
     7, 0, piece},
    {uR"x(   ||.-::\:.                       ./::::::::::::::::.:.:.:::::::::-:||   )x", 7, 0, whole_line},
    {uR"x(   ||--::::::::::::::::::::::::::::::::::::::::::::::.:.:.:::::::::-:||   )x", 7, 0, whole_line},
    {uR"x(   ||--::::::.||||.||||.||||.||||.:::::::::::::::::::::::::::::::::-:||   )x", 7, 0, whole_line},
    {uR"x(   ||\:::::::.||||.||||.||||.||||.:::::::::::::::::::::::::::::::::-:||   )x", 7, 0, whole_line},
    {uR"x(   .\\::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::-::|:   )x", 7, 0, whole_line},
    {uR"x(     .\\::::::::::::::::::::::::::::::::::::::::::::::::::::::::::--.     )x", 7, 0, whole_line},
    {uR"x(                                                                          )x", 7, 0, whole_line},
};

// The run flow.
constexpr std::u16string_view path_message[] = {
    u"",
    u"  No valid path specified, could not find \"{}\".",
    u"  Should your path contain spaces, please enclose it between quotes.",
    u"  For example:",
    u"     \"C:\\Users\\Me\\Desktop\\My Folder\"",
};
constexpr std::u16string_view help_hint = u"\n\r  For help, run \"{}\" without parameters";
constexpr std::u16string_view unknown_switch = u"\n\r  Unknown paramenter encountered: {}.{}";
constexpr std::u16string_view no_files = u"\n\r  No GoPro files found at specified path. Aborting";
constexpr std::u16string_view close_window = u"\n\r  Press any key to close this window...";

// The help screen after the banner.
constexpr std::u16string_view help_title =
    u" chaptersort {} - sorts action-camera chapter files by recording";
constexpr std::u16string_view help_intro[] = {
    u" Renames GoPro video files with chapters to sort alphabetically",
    u"",
    u" Usage:",
};
constexpr std::u16string_view help_usage = u"   {} \"[path]\" [argument(s)]";
constexpr std::u16string_view help_arguments[] = {
    u"",
    u" Arguments  (* = optional, \u00b0 = off by default)",
    // clang-format off
    u" ----------------------------------------------------------------------------------------------------------------------",
    // clang-format on
    u"(none)     prints this help ",
    u"  -v   *\u00b0  prints verbose logs during the process     ",
    u"  -s   *\u00b0  only simulates a renaming operation        ",
    u"  -r   *\u00b0  searches directory recursively             ",
    u"  -u   *\u00b0  unattended. Won't prompt for confirmations ",
    u"  -d   *\u00b0  prefixes filename with date and time (e.g. 2023-05-06_15-59-02)",
    u"  -o   *\u00b0  makes DOS compatible 8.3 filenames (ignores -d)",
    u"  -l   *\u00b0  also renames each chapter's LRV and THM files",
    u"  -f   *\u00b0  finishes a renaming that was cut short (temporary names)",
    u"  -t   *\u00b0  prefixes the recording's start time, read from the video",
    u"  -c   *\u00b0  gives renamed files their camera names back",
    u"",
};

// The scan.
constexpr std::u16string_view processing_files_in = u"Processing files in {}";
constexpr std::u16string_view recursively = u" recursively";
constexpr std::u16string_view processing_end = u"...";
constexpr std::u16string_view folder_not_listed = u"    [!!] Could not list {}. Skipping...";

// The eligibility pass and the planning, with -v.
constexpr std::u16string_view files_found = u"  Found {} files.\n\r";
constexpr std::u16string_view examining = u"  > Examining {}";
constexpr std::u16string_view match = u"    > Match {}";
constexpr std::u16string_view splits_character =
    u"    > No match {}: its pieces would cut a character in two";
constexpr std::u16string_view short_name_left = u"    > No match {}: an 8.3 name this program gives";
constexpr std::u16string_view examined = u"  {} files examined, {} eligible files found";
constexpr std::u16string_view sidecar_without_video = u"    > Sidecar {} left alone: no video of its own";
constexpr std::u16string_view sidecar_of_two_videos =
    u"    > Sidecar {} left alone: it would belong to more than one video";
constexpr std::u16string_view recording_in_camera_zone =
    u"    > Recording of {} started {}, {}, as the camera was set";
constexpr std::u16string_view recording_clock_differs = u"    > Recording of {}: its clock (CDAT) says {}";
constexpr std::u16string_view no_usable_time = u"    > No usable time in {}: {}";
constexpr std::u16string_view no_movie_header = u"no movie header (moov with mvhd) can be read";
constexpr std::u16string_view unknown_clock = u"its udta cannot be read to its end, so its clock is unknown";
constexpr std::u16string_view unknown_version = u"its mvhd is of an unknown version";
constexpr std::u16string_view no_creation_time = u"it holds no creation time";
constexpr std::u16string_view zone_never_set = u"its zone was never set (TZON 32767) and it holds no CDAT";
constexpr std::u16string_view recording_by_camera_clock =
    u"    > Recording of {} started {}, by the camera's clock";
constexpr std::u16string_view recording_in_utc = u"    > Recording of {} started {}, UTC shown in local time";
constexpr std::u16string_view recording_by_last_change =
    u"    > Recording of {}: no start time in its videos, each chapter dated by its last change";
constexpr std::u16string_view sidecar_already_there =
    u"    > Sidecar {} left alone: its video has one already";

// Files left out of a run, shown without -v.
constexpr std::u16string_view unreadable_chapter =
    u"    [!!] Could not read {}: {}. Its recording stays as it is...";
constexpr std::u16string_view camera_name_taken = u"    [!!] {} keeps its name: its camera name {} is taken";

// Why an operation on a file failed.
constexpr std::u16string_view name_is_taken = u"the name is taken";
constexpr std::u16string_view file_is_gone = u"the file is not there";
constexpr std::u16string_view no_permission = u"no permission";
constexpr std::u16string_view medium_is_read_only = u"the medium is read-only";
constexpr std::u16string_view file_in_use = u"the file is in use";
constexpr std::u16string_view system_refused = u"the system refused it";

// The preview.
constexpr std::u16string_view preview_heading = u"\n\r  Renaming Preview:";
constexpr std::u16string_view preview_line = u"    {}  -->  {}";
constexpr std::u16string_view second_name_line = u"    {}  -->  removed, a second name of {}";

// The confirmation and the two rename passes.
constexpr std::u16string_view prompt = u"\n\r  Press any key to continue renaming or [Esc] to abort...";
constexpr std::u16string_view nothing_changed = u"\n\r  No file was changed";
constexpr std::u16string_view temporary_heading = u"\n\r  Renaming {} files with temp names...";
constexpr std::u16string_view renamed_line = u"    [OK] {}  -->  {}";
constexpr std::u16string_view could_not_rename = u"    [!!] Could not rename {}, to {}. Skipping...";
constexpr std::u16string_view why_line = u"    > Why: {}";
constexpr std::u16string_view second_name_removed = u"    [OK] Removed {}, a second name of {}";
constexpr std::u16string_view second_name_kept =
    u"    [!!] Could not remove {}, a second name of {}. Skipping...";
constexpr std::u16string_view temporary_summary = u"\n\r  Successfully renamed {} of {} temp files.";
constexpr std::u16string_view final_heading = u"\n\r  Renaming {} files to final names...";
constexpr std::u16string_view final_summary = u"\n\r  Successfully renamed {} of {} files.";
constexpr std::u16string_view closing = u"\n\r";

} // namespace fixed_text
