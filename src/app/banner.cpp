#include "app/banner.h"

#include "app/version.h"
#include "runtime/console.h"

namespace {

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

// The help screen after the banner; the usage line is put together in print_help.
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
    u"",
};

} // namespace

void print_banner() {
  for (const banner_segment &segment : banner) {
    if (segment.foreground >= 0)
      set_colors(segment.foreground, segment.background);
    if (segment.kind == whole_line)
      print_line(segment.text);
    else
      print_text(segment.text);
  }
}

void print_help(std::u16string_view program_name) {
  print_banner();
  set_colors(7, 0);
  print_line();
  print_line(u" chaptersort " CHAPTERSORT_VERSION u" - sorts action-camera chapter files by recording");
  print_line(u" Renames GoPro video files with chapters to sort alphabetically");
  print_line();
  print_line(u" Usage:");
  print_line(u"   " + text(program_name) + u" \"[path]\" [argument(s)]");
  for (std::u16string_view line : help_arguments)
    print_line(line);
  set_colors(7, 0);
}
