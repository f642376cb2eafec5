// A fixed text and its values, as the program writes them. Built with CASE 0 it must
// compile; with CASE 1 (a text with another number of {} slots than its type says) and
// CASE 2 (another number of values than slots), the compiler must refuse it.
#include "runtime/text.h"

#ifndef CASE
#define CASE 0
#endif

constexpr slotted_text<2> renamed = u"    [OK] {}  -->  {}";
#if CASE == 1
constexpr slotted_text<2> one_slot = u"    [OK] {}";
#endif

int main() {
#if CASE == 2
  text line = fill(renamed, u"GX010123.MP4");
#else
  text line = fill(renamed, u"GX010123.MP4", u"G-HEVC-0123-01.mp4");
#endif
  return line.empty() ? 1 : 0;
}
