#include "app/banner.h"

#include "app/version.h"
#include "runtime/console.h"
#include "sorter/fixed_texts.h"

void print_banner() {
  for (const fixed_text::banner_segment &segment : fixed_text::banner) {
    if (segment.foreground >= 0)
      set_colors(segment.foreground, segment.background);
    if (segment.kind == fixed_text::whole_line)
      print_line(segment.text);
    else
      print_text(segment.text);
  }
}

void print_help(std::u16string_view program_name) {
  print_banner();
  set_colors(7, 0);
  print_line();
  print_line(fill(fixed_text::help_title, {CHAPTERSORT_VERSION}));
  for (std::u16string_view line : fixed_text::help_intro)
    print_line(line);
  print_line(fill(fixed_text::help_usage, {from_outside(program_name)}));
  for (std::u16string_view line : fixed_text::help_arguments)
    print_line(line);
  set_colors(7, 0);
}
