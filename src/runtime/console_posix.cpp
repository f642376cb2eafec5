#include "runtime/console_platform.h"
#include "runtime/terminal_text.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

bool output_to_terminal = false;
bool input_is_terminal = false;
bool colours_wanted = true;
volatile std::sig_atomic_t colours_used = 0;
volatile std::sig_atomic_t key_mode_set = 0;
volatile std::sig_atomic_t continued = 0; // set when the program went on after a stop
struct termios saved_terminal_mode;
struct termios key_mode;
std::string pending_keys;      // bytes read from the terminal and not yet decoded
char colour_sequence[24] = {}; // the colours last set, to set again after a stop
std::size_t colour_sequence_size = 0;

constexpr char reset_attributes[] = "\x1b[0m";

void write_bytes(const char *data, std::size_t size) {
  // A terminal may take part of a large write; the rest follows. Nothing else is retried.
  while (size > 0) {
    ssize_t written = ::write(STDOUT_FILENO, data, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

// Puts the terminal back as the program found it: line mode with echo, default colours.
// Only calls that are safe in a signal handler. By then the shell may have taken the
// terminal over (it sees a stopped job at once), and changing the mode of a terminal that
// belongs to another process group would stop the program with SIGTTOU, unless that
// signal is blocked.
void restore_terminal() {
  sigset_t terminal_output;
  sigemptyset(&terminal_output);
  sigaddset(&terminal_output, SIGTTOU);
  sigprocmask(SIG_BLOCK, &terminal_output, nullptr);
  if (key_mode_set)
    tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal_mode);
  if (colours_used)
    (void)!::write(STDOUT_FILENO, reset_attributes, sizeof reset_attributes - 1);
  sigprocmask(SIG_UNBLOCK, &terminal_output, nullptr);
}

// Runs on SIGINT, SIGTERM, SIGHUP and SIGQUIT: puts the terminal back, then lets the signal
// end the process as it would have without the handler.
void control_handler(int signal_number) {
  restore_terminal();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void install(int signal_number, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

// Ctrl+Z: the shell gets the terminal back as it lent it, and the program stops there.
void stop_handler(int) {
  int saved_errno = errno;
  restore_terminal();
  std::signal(SIGTSTP, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  std::raise(SIGTSTP); // the process stops here until it is continued
  install(SIGTSTP, stop_handler);
  errno = saved_errno;
}

// The program goes on after a stop (fg): a waiting prompt takes single keys again, in the
// colours it had, and whatever was typed in the meantime was meant for the shell. Only in
// the foreground: a job continued in the background (bg) leaves the shell's terminal
// alone. A prompt that waits there stops its job again at once, as the system does to a
// job that reads its terminal from the background (SIGTTIN to the process group): bash's
// fg continues a stopped job with a signal, but brings a running one to the front without
// any, and the prompt would then wait in line mode.
void continue_handler(int) {
  int saved_errno = errno;
  if (tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    if (colours_used)
      (void)!::write(STDOUT_FILENO, colour_sequence, colour_sequence_size);
    if (key_mode_set) {
      tcsetattr(STDIN_FILENO, TCSANOW, &key_mode);
      tcflush(STDIN_FILENO, TCIFLUSH);
      continued = 1;
    }
  } else if (key_mode_set) {
    kill(0, SIGTTIN);
  }
  errno = saved_errno;
}

// Waits for input on the terminal for at most timeout_ms; true when some is there.
bool input_ready(int timeout_ms) {
  struct pollfd input = {STDIN_FILENO, POLLIN, 0};
  int result;
  do
    result = ::poll(&input, 1, timeout_ms);
  while (result < 0 && errno == EINTR);
  return result > 0 && (input.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

// Bytes of a key begun before a stop belong to nothing once the program goes on.
void forget_keys_from_before_a_stop() {
  if (continued) {
    continued = 0;
    pending_keys.clear();
  }
}

bool read_pending() {
  char buffer[64];
  ssize_t got;
  // A stop and a continue while the read waits (Ctrl+Z, bg, fg) interrupt it: what was
  // pending goes, and the key read afterwards is one typed once the prompt was back.
  do {
    forget_keys_from_before_a_stop();
    got = ::read(STDIN_FILENO, buffer, sizeof buffer);
  } while (got < 0 && errno == EINTR);
  if (got <= 0)
    return false;
  pending_keys.append(buffer, static_cast<std::size_t>(got));
  return true;
}

} // namespace

void console_platform::write(std::u16string_view piece, bool line_end) {
  std::string bytes = encode_name(output_to_terminal ? std::u16string_view(terminal_safe(piece)) : piece);
  if (line_end)
    bytes += "\r\n";
  write_bytes(bytes.data(), bytes.size());
}

bool console_platform::output_is_terminal() { return output_to_terminal; }

bool console_platform::input_is_console() { return input_is_terminal; }

// A terminal outlives the program run in it: nothing here ever waits before closing.
text console_platform::parent_image_name() { return {}; }

void console_platform::open() {
  output_to_terminal = isatty(STDOUT_FILENO) == 1;
  input_is_terminal = isatty(STDIN_FILENO) == 1;
  // The NO_COLOR convention: set to anything but the empty text, no colour at all.
  const char *no_color = std::getenv("NO_COLOR");
  colours_wanted = no_color == nullptr || *no_color == '\0';
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
    install(signal_number, control_handler);
  install(SIGTSTP, stop_handler);
  install(SIGCONT, continue_handler);
  // A reader that goes away (chaptersort DIR -u | head) must not kill the run between its
  // two rename passes: output to a closed pipe is lost, as a failed write is on Windows.
  std::signal(SIGPIPE, SIG_IGN);
}

void console_platform::colours(int foreground, int background) {
  if (!output_to_terminal || !colours_wanted)
    return;
  // Console colour bits are 1 blue, 2 green, 4 red; ANSI numbers them 1 red, 2 green,
  // 4 blue. Bit 8 picks the bright forms (90-97, 100-107).
  auto ansi = [](int colour) { return (colour & 4 ? 1 : 0) | (colour & 2) | (colour & 1 ? 4 : 0); };
  int fg = (foreground & 8 ? 90 : 30) + ansi(foreground);
  int bg = (background & 8 ? 100 : 40) + ansi(background);
  std::string sequence = "\x1b[" + std::to_string(fg) + ";" + std::to_string(bg) + "m";
  sequence.copy(colour_sequence, sizeof colour_sequence);
  colour_sequence_size = sequence.size();
  colours_used = 1;
  write_bytes(sequence.data(), sequence.size());
}

text console_platform::poll() {
  if (!input_is_terminal)
    return {};
  forget_keys_from_before_a_stop();
  if (pending_keys.empty() && !(input_ready(0) && read_pending()))
    return {};
  // A terminal sends one key's bytes together, so a short wait for the rest tells a lone
  // Esc from an arrow key.
  console_platform::decoded_key first = console_platform::decode_key(pending_keys);
  while (!first.complete && input_ready(25) && read_pending())
    first = console_platform::decode_key(pending_keys);
  pending_keys.erase(0, first.used);
  return first.key;
}

void console_platform::discard_typed() {
  if (!input_is_terminal)
    return;
  tcflush(STDIN_FILENO, TCIFLUSH);
  pending_keys.clear();
}

void console_platform::drop_pending() { discard_typed(); }

text console_platform::wait() {
  if (!input_is_terminal) {
    unsigned char byte = 0;
    ssize_t got;
    do
      got = ::read(STDIN_FILENO, &byte, 1);
    while (got < 0 && errno == EINTR);
    if (got != 1 || byte == 0x1B)
      return text(1, u'\x1b');
    return decode_name(std::string_view(reinterpret_cast<const char *>(&byte), 1));
  }
  // Keys without echo and without waiting for Enter, only for this wait. TCSANOW keeps
  // what was typed since discard_typed_keys: a key pressed once the prompt showed.
  bool mode_set = tcgetattr(STDIN_FILENO, &saved_terminal_mode) == 0;
  if (mode_set) {
    key_mode = saved_terminal_mode;
    key_mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    key_mode.c_cc[VMIN] = 1;
    key_mode.c_cc[VTIME] = 0;
    key_mode_set = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &key_mode);
  }
  text key;
  for (;;) {
    key = poll();
    if (!key.empty())
      break;
    if (!pending_keys.empty())
      continue;
    // Sleep in poll until the terminal has input. A terminal that is gone (hang-up, end
    // of input, an error) answers Esc: never consent.
    if (!input_ready(-1) || !read_pending()) {
      key = text(1, u'\x1b');
      break;
    }
  }
  if (mode_set) {
    key_mode_set = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &saved_terminal_mode);
  }
  return key;
}

void console_platform::end(int exit_code) {
  if (colours_used)
    write_bytes(reset_attributes, sizeof reset_attributes - 1);
  std::exit(exit_code);
}
