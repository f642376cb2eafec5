#include "runtime/command_line_platform.h"

namespace {

std::vector<text> tokens;

} // namespace

void command_line_platform::record(int argc, char **argv) {
  tokens.clear();
  for (int i = 0; i < argc; ++i)
    tokens.push_back(decode_name(argv[i]));
}

const std::vector<text> &command_line_platform::command_tokens() { return tokens; }

text command_line_platform::program_path() { return tokens.empty() ? text() : tokens[0]; }
