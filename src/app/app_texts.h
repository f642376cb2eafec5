#pragma once

#include "runtime/console.h"
#include "runtime/text.h"

#include <optional>
#include <string_view>

// The texts of the run flow, the banner and the help screen, kept in one place. Scripts and
// people compare them byte for byte, so they stay exactly as they are: the spelling
// ("paramenter" included), the spaces, and the "\n\r" in front of most messages, after
// which print_line's own "\r\n" follows. "{}" marks where fill() puts a value, and the
// compiler counts them.

namespace app_text {

enum segment_kind { piece, whole_line };

/// A foreground on a background.
struct colours {
  console_color foreground;
  console_color background;
};
constexpr colours grey{console_color::light_grey, console_color::black};
constexpr colours red{console_color::light_red, console_color::black};
constexpr colours on_red{console_color::black, console_color::light_red};
constexpr colours yellow{console_color::yellow, console_color::black};

// One coloured piece of the banner; without colours it keeps the current ones. A piece is
// written as it is (a row's last piece ends in LF CR); a whole line gets the line end.
struct banner_segment {
  std::u16string_view text;
  std::optional<colours> colour;
  segment_kind kind;
};

// The action camera, 22 rows of 74 columns. Backslashes are part of the drawing.
constexpr banner_segment banner[] = {
    {uR"x(      ..............................................................      )x", std::nullopt,
     whole_line},
    {uR"x(    /|\:::::::::::::)x", std::nullopt, piece},
    {uR"x(()x", red, piece},
    {uR"x(||||)x", on_red, piece},
    {uR"x())x", red, piece},
    {uR"x(::::::::::::::::-.  .......-:\\||||||||||||\    )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||:.--/ .                         \\|:.- ./-.--------:::\||||||||||\   )x", grey, whole_line},
    {uR"x(   ||..-| | )x", grey, piece},
    {uR"x( [[[[[[[[[[[]]]]]]]]]]  )x", yellow, piece},
    {uR"x(  |||.: -|:::...   .\|\  .-:|||||.|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||...| | )x", grey, piece},
    {uR"x([[[[[[\[[[[[]]]]]]]]]]] )x", yellow, piece},
    {uR"x(  |||.: -|::..  .--\\|[[- .--||||.|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||...| | )x", grey, piece},
    {uR"x([[[[[[[.||.[]]]]]]]]]]] )x", yellow, piece},
    {uR"x(  |||.: .|:. . .-. :|||\|  ..\\\|-|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||...| | )x", grey, piece},
    {uR"x([[[[[[[[      -]]]]]]]] )x", yellow, piece},
    {uR"x(  |||.: .|:. .  .::  .\.   ..\:.|:|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||..-| | )x", grey, piece},
    {uR"x([[[[[[[|        ]]]]]]] )x", yellow, piece},
    {uR"x(  |||.: -|::. .. ..::..   ...:-.|/|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||...| | )x", grey, piece},
    {uR"x([[[[[[.          ]]]]]] )x", yellow, piece},
    {uR"x(  |||.: .|::\. ..       ..:-.:. :/|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||..-| | )x", grey, piece},
    {uR"x([[[[|    |       ]]]]]] )x", yellow, piece},
    {uR"x(  |||.- -|--:\:-.......-::--.:- ./|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||..-| | )x", grey, piece},
    {uR"x([[[[[|\[[\      |]]]]]] )x", yellow, piece},
    {uR"x(  |||.- .\\:\\\\\|||||||/////:.  /:   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||.-:| | )x", grey, piece},
    {uR"x([[[[[[[[        ]]]]]]] )x", yellow, piece},
    {uR"x(  |.|::-  ......................:/|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||.-:| | )x", grey, piece},
    {uR"x([[[[[[|       .-]]]]]]] )x", yellow, piece},
    {uR"x(  |.::..                     ..:::|   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||.-:| . )x", grey, piece},
    {uR"x([[[[[[  .|[[]]]]]]]]]]] )x", yellow, piece},
    {uR"x(  |::::::::::::::::::::::::::::-:||   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||.-:\.  )x", grey, piece},
    {uR"x( [[[[[[[[[[[]]]]]]]]]]  )x", yellow, piece},
    {uR"x( ./::::::::::::::.:.:.:::::::::-:||   )x"
     u"\n\r",
     grey, piece},
    {uR"x(   ||.-::\:.                       ./::::::::::::::::.:.:.:::::::::-:||   )x", grey, whole_line},
    {uR"x(   ||--::::::::::::::::::::::::::::::::::::::::::::::.:.:.:::::::::-:||   )x", grey, whole_line},
    {uR"x(   ||--::::::.||||.||||.||||.||||.:::::::::::::::::::::::::::::::::-:||   )x", grey, whole_line},
    {uR"x(   ||\:::::::.||||.||||.||||.||||.:::::::::::::::::::::::::::::::::-:||   )x", grey, whole_line},
    {uR"x(   .\\::::::::::::::::::::::::::::::::::::::::::::::::::::::::::::-::|:   )x", grey, whole_line},
    {uR"x(     .\\::::::::::::::::::::::::::::::::::::::::::::::::::::::::::--.     )x", grey, whole_line},
    {uR"x(                                                                          )x", grey, whole_line},
};

// The run flow.
constexpr slotted_text<1> path_not_found = u"  No valid path specified, could not find \"{}\".";
constexpr std::u16string_view path_advice[] = {
    u"  Should your path contain spaces, please enclose it between quotes.",
    u"  For example:",
    u"     \"C:\\Users\\Me\\Desktop\\My Folder\"",
};
constexpr slotted_text<1> help_hint = u"\n\r  For help, run \"{}\" without parameters";
constexpr slotted_text<2> unknown_switch = u"\n\r  Unknown paramenter encountered: {}.{}";
constexpr std::u16string_view close_window = u"\n\r  Press any key to close this window...";

// The help screen after the banner.
constexpr slotted_text<1> help_title = u" chaptersort {} - sorts action-camera chapter files by recording";
constexpr std::u16string_view help_intro[] = {
    u" Renames GoPro video files with chapters to sort alphabetically",
    u"",
    u" Usage:",
};
constexpr slotted_text<1> help_usage = u"   {} \"[path]\" [argument(s)]";
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
    u"  -a   *\u00b0  also renames 360 videos and prefixed camera names",
    u"  -j   *\u00b0  writes the plan and the outcome as JSON lines for scripts",
    u"",
};

} // namespace app_text
