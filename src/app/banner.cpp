#include "app/banner.h"

#include "app/app_texts.h"
#include "app/version.h"

void print_banner(line_printer &out) {
  for (const app_text::banner_segment &segment : app_text::banner) {
    if (segment.colour)
      out.set_colors(segment.colour->foreground, segment.colour->background);
    if (segment.kind == app_text::whole_line)
      out.print_line(segment.text);
    else
      out.print_text(segment.text);
  }
}

void print_help(line_printer &out, std::u16string_view program_name) {
  print_banner(out);
  out.set_colors(console_color::light_grey, console_color::black);
  out.print_line();
  out.print_line(fill(app_text::help_title, CHAPTERSORT_VERSION));
  for (std::u16string_view line : app_text::help_intro)
    out.print_line(line);
  out.print_line(fill(app_text::help_usage, out.from_outside(program_name)));
  for (std::u16string_view line : app_text::help_arguments)
    out.print_line(line);
  out.set_colors(console_color::light_grey, console_color::black);
}
