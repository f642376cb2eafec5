#include "runtime/command_line.h"

#include "runtime/command_line_platform.h"

namespace {

std::size_t parameter_position = 0;

} // namespace

void record_arguments(int argc, char **argv) { command_line_platform::record(argc, argv); }

text program_path() { return command_line_platform::program_path(); }

int parameter_count() {
  const std::vector<text> &tokens = command_line_platform::command_tokens();
  return tokens.empty() ? 0 : static_cast<int>(tokens.size() - 1);
}

text next_parameter() {
  if (parameter_position >= static_cast<std::size_t>(parameter_count()))
    return {};
  return command_line_platform::command_tokens()[1 + parameter_position++];
}

std::vector<text> split_command_line(std::u16string_view line) {
  std::vector<text> tokens;
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && line[i] == u' ')
      ++i;
    if (i == n)
      break;
    text token;
    if (line[i] == u'"') {
      // A quoted token ends at its closing quote even when no space follows.
      std::size_t close = line.find(u'"', i + 1);
      std::size_t end = close == std::u16string_view::npos ? n : close;
      token.assign(line.substr(i + 1, end - i - 1));
      i = close == std::u16string_view::npos ? n : close + 1;
    } else {
      bool quoted = false;
      for (; i < n; ++i) {
        char16_t c = line[i];
        if (c == u'"')
          quoted = !quoted;
        else if (c == u' ' && !quoted)
          break;
        else
          token += c;
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

text file_part(std::u16string_view path, bool without_extension) {
  std::size_t begin = !path.empty() && path[0] == u'"' ? 1 : 0;
  std::size_t separator = path.find_last_of(u"\\/");
  if (separator != std::u16string_view::npos && separator + 1 > begin)
    begin = separator + 1;
  std::size_t end = path.find(u'"', begin);
  if (end == std::u16string_view::npos)
    end = path.size();
  text part(path.substr(begin, end - begin));
  if (!without_extension)
    return part;
  // From the last character back to the second: a space keeps the part whole, a dot cuts
  // it unless the dot ends the part. A leading dot (".profile") is never looked at.
  for (std::size_t k = part.size(); k-- > 1;) {
    if (part[k] == u' ')
      break;
    if (part[k] == u'.') {
      if (k + 1 < part.size())
        part.resize(k);
      break;
    }
  }
  return part;
}
