#include "runtime/command_line.h"
#include "runtime/console.h"
#include "runtime/console_platform.h"
#include "runtime/terminal_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

std::vector<text> parameters_of(std::u16string_view line) {
  std::vector<text> tokens = split_command_line(line);
  if (!tokens.empty())
    tokens.erase(tokens.begin());
  return tokens;
}

TEST(CommandLine, SplitsAsTheConsoleTyped) {
  struct example {
    std::u16string_view line;
    std::vector<text> parameters;
  };
  const example examples[] = {
      {u"prog C:\\My Folder -v", {u"C:\\My", u"Folder", u"-v"}},
      {u"prog \"C:\\My Folder\" -v", {u"C:\\My Folder", u"-v"}},
      {u"prog \"C:\\My Folder\\\" -v", {u"C:\\My Folder\\", u"-v"}},
      {u"prog \"a b\"c", {u"a b", u"c"}},
      {u"prog a\"b c\"d", {u"ab cd"}},
      {u"prog \"\"", {u""}},
      {u"prog \"abc", {u"abc"}},
      {u"prog a\tb", {u"a\tb"}},
      {u"\"C:\\Program Files\\tool.exe\" -v", {u"-v"}},
      {u"prog    ", {}},
      {u"prog \" -r \" \"  -ABC\t \"", {u" -r ", u"  -ABC\t "}},
      {u"prog \"", {u""}},
  };
  for (const example &e : examples)
    EXPECT_EQ(parameters_of(e.line), e.parameters) << std::string(e.line.begin(), e.line.end());
}

TEST(CommandLine, EmptyLineHasNoProgramAndNoParameters) {
  EXPECT_TRUE(split_command_line(u"").empty());
  EXPECT_TRUE(split_command_line(u"     ").empty());
  EXPECT_EQ(split_command_line(u"\"C:\\Program Files\\tool.exe\"")[0], u"C:\\Program Files\\tool.exe");
}

TEST(FilePart, CutsDirectoryAndExtension) {
  struct example {
    std::u16string_view path;
    bool without_extension;
    std::u16string_view part;
  };
  const example examples[] = {
      {u"C:\\Tools\\mover.exe", true, u"mover"},
      {u"D:/x/archive.tar.gz", true, u"archive.tar"},
      {u"C:\\dir\\name.", true, u"name."},
      {u"C:\\dir\\.profile", true, u".profile"},
      {u"C:\\dir\\my file.a b", true, u"my file.a b"},
      {u"\"C:\\dir\\tool.exe\"", true, u"tool"},
      {u"C:\\dir\\", true, u""},
      {u"C:\\Tools\\mover.exe", false, u"mover.exe"},
      {u"", true, u""},
      {u"mover.exe", true, u"mover"},
      {u"./build/release/chaptersort", true, u"chaptersort"},
      {u"\"tool", false, u"tool"},
  };
  for (const example &e : examples)
    EXPECT_EQ(file_part(e.path, e.without_extension), e.part) << std::string(e.path.begin(), e.path.end());
}

TEST(KeyDecoder, TellsKeysFromEscapeSequences) {
  struct example {
    std::string bytes;
    text key;
    std::size_t used;
    bool complete;
  };
  const example examples[] = {
      {"\x1b", u"\x1b", 1, false},    // a lone Esc, unless more bytes follow at once
      {"\x1b\x1b", u"\x1b", 1, true}, // two Esc presses: the first answers
      {"\x1b[A", u"", 3, true},       // arrow up
      {"\x1b[15~", u"", 5, true},     // F5
      {"\x1b[1;5C", u"", 6, true},    // Ctrl+Right
      {"\x1b[@", u"", 3, true},       // the lowest final byte
      {"\x1bOP", u"", 3, true},       // F1 (SS3)
      {"\x1bO", u"", 2, false},
      {"\x1b[", u"", 2, false},     // a sequence cut short, taken whole if nothing follows
      {"\x1b[\x7f", u"", 3, false}, // DEL ends no sequence
      {"\x1b"
       "a",
       u"", 2, true},                   // Alt+a
      {"\r", u"\r", 1, true},           // Enter
      {"y\r", u"y", 1, true},           // the first of two keys
      {"\xc3\xa9", u"\u00e9", 2, true}, // a key beyond ASCII
      {"\xe2\x82\xac!", u"\u20ac", 3, true},
      {"\xc0", u"\xdcc0", 1, false}, // the lowest lead byte of each length
      {"\xe0\xa4\x85", u"\u0905", 3, true},
      {"\xf0\x9f\x93\xb9", u"\U0001F4F9", 4, true},
      {"\x80", u"\xdc80", 1, true}, // a byte that only continues a sequence
      {"\xe2\x82", u"\xdce2", 1, false},
      {"\xff", u"\xdcff", 1, false}, // a byte that is no UTF-8 still answers
      {"", u"", 0, false},
  };
  for (const example &e : examples) {
    console_platform::decoded_key decoded = console_platform::decode_key(e.bytes);
    EXPECT_EQ(decoded.key, e.key) << e.bytes;
    EXPECT_EQ(decoded.used, e.used) << e.bytes;
    EXPECT_EQ(decoded.complete, e.complete) << e.bytes;
  }
  // No bytes are no key, and no sequence ends, whatever lies past the end of the view.
  console_platform::decoded_key none =
      console_platform::decode_key(std::string_view("\x1b\x1b").substr(0, 0));
  EXPECT_EQ(none.used, 0u);
  EXPECT_FALSE(none.complete);
  EXPECT_FALSE(console_platform::decode_key(std::string_view("\x1b[A").substr(0, 2)).complete);
}

TEST(TerminalSafe, ShowsControlCharactersAsQuestionMarks) {
  EXPECT_EQ(terminal_safe(u"\n\r  Renaming Preview:"), u"\n\r  Renaming Preview:");
  EXPECT_EQ(terminal_safe(u"a\tb\x1b]2;title\x07.MP4"), u"a?b?]2;title?.MP4");
  EXPECT_EQ(terminal_safe(u"\x7f\x9b\x85\u00b0"), u"???\u00b0");
  EXPECT_EQ(terminal_safe(decode_name("G\xff.MP4")), u"G?.MP4");
  EXPECT_EQ(terminal_safe(u"a\u202eb\u2066c\u200fd\u061ce"), u"a?b?c?d?e");
  EXPECT_EQ(terminal_safe(u"trip \U0001F4F9"), u"trip \U0001F4F9"); // D83D DCF9: a pair, no byte
  EXPECT_EQ(terminal_safe(u"trip \xdcf9"), u"trip ?");
}

TEST(TerminalSafe, TextFromOutsideKeepsNoLineBreak) {
  EXPECT_EQ(outside_safe(u"G\r\n01234.MP4"), u"G??01234.MP4");
  EXPECT_EQ(outside_safe(u"G\u202e010123.MP4\t\u00e9"), u"G?010123.MP4?\u00e9");
  EXPECT_EQ(outside_safe(decode_name("G\xff\x7f")), u"G??");
}

TEST(ConsoleKey, EscapeIsTheKeyWhateverItsCharacter) {
  EXPECT_EQ(console_platform::console_key(0x1B, 0), u"\x1b"); // as wine's terminal console reports it
  EXPECT_EQ(console_platform::console_key(0x1B, 0x1B), u"\x1b");
  EXPECT_EQ(console_platform::console_key(0x0D, u'\r'), u"\r");
  EXPECT_EQ(console_platform::console_key(0x59, u'y'), u"y");
  EXPECT_EQ(console_platform::console_key(0x26, 0), u""); // an arrow: no character, no answer
  EXPECT_EQ(console_platform::console_key(0x10, 0), u""); // Shift
}

TEST(NameCodec, RoundTripsEveryByteString) {
  const std::string samples[] = {
      "GX010123.MP4",
      "caf\xc3\xa9",
      "G\xff"
      "010123.MP4",
      "\xed\xa0\x80", // an encoded surrogate is not UTF-8
      "\xc0\xaf",
      "\xf4\x90\x80\x80",
      "\xf0\x9f\x8e\xa5.mp4",
      "\xe2\x82",
      std::string("a\0b", 3),
  };
  for (const std::string &bytes : samples)
    EXPECT_EQ(encode_name(decode_name(bytes)), bytes);
  // Every single byte and every pair of bytes.
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      std::string bytes{static_cast<char>(a), static_cast<char>(b)};
      ASSERT_EQ(encode_name(decode_name(bytes)), bytes) << a << " " << b;
    }
  EXPECT_EQ(decode_name("caf\xc3\xa9"), u"caf\u00e9");
  EXPECT_EQ(decode_name("G\xff"), u"G\xdcff");
  EXPECT_EQ(decode_name("\xf0\x9f\x8e\xa5"), u"\U0001F3A5");
}

TEST(PauseBeforeClosing, OnlyForExplorerWithAConsole) {
  for (std::u16string_view parent : {u"explorer.exe", u"EXPLORER.EXE", u"C:\\Windows\\explorer.exe"})
    EXPECT_TRUE(console_platform::pause_wanted(parent, true)) << std::string(parent.begin(), parent.end());
  for (std::u16string_view parent :
       {u"cmd.exe", u"powershell.exe", u"WindowsTerminal.exe", u"", u"C:\\Tools\\myexplorer.exe"})
    EXPECT_FALSE(console_platform::pause_wanted(parent, true)) << std::string(parent.begin(), parent.end());
  EXPECT_FALSE(console_platform::pause_wanted(u"explorer.exe", false));
}

TEST(CaseMapping, MapsOneCodeUnit) {
  EXPECT_EQ(upper_char(u'g'), u'G');
  EXPECT_EQ(upper_char(u'4'), u'4');
  EXPECT_EQ(lower_char(u'X'), u'x');
  EXPECT_EQ(upper_char(u'\u00e9'), u'\u00c9');
  EXPECT_EQ(upper_char(u'\xdcff'), u'\xdcff');
}

#ifndef _WIN32
TEST(Colours, OnlyTheSixteenAreSetOnATerminal) {
  int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  int screen = open(ptsname(terminal), O_RDWR | O_NOCTTY);
  ASSERT_GE(screen, 0);
  std::fflush(stdout);
  int saved_output = dup(STDOUT_FILENO);
  dup2(screen, STDOUT_FILENO);
  const char *no_color = std::getenv("NO_COLOR");
  std::string saved_no_color = no_color ? no_color : "";
  unsetenv("NO_COLOR");
  open_console();
  for (auto [foreground, background] :
       {std::pair{16, 0}, {7, 16}, {-1, 7}, {7, -1}, {0, 12}, {1, 0}, {15, 2}, {6, 15}})
    set_colors(foreground, background);
  print_text(u"|");
  dup2(saved_output, STDOUT_FILENO);
  close(saved_output);
  close(screen);
  if (no_color)
    setenv("NO_COLOR", saved_no_color.c_str(), 1);
  open_console(); // the rest of the tests write where they did before
  std::string received;
  struct pollfd ready = {terminal, POLLIN, 0};
  char buffer[256];
  while (received.find('|') == std::string::npos && poll(&ready, 1, 10000) == 1) {
    ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0)
      break;
    received.append(buffer, static_cast<std::size_t>(got));
  }
  close(terminal);
  // Console bits 1 blue, 2 green, 4 red are ANSI's 4, 2, 1; 8 the bright forms.
  EXPECT_EQ(received, "\x1b[30;101m\x1b[34;40m\x1b[97;42m\x1b[33;107m|");
}
#endif

} // namespace
