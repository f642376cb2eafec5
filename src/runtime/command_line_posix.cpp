#include "runtime/command_line_platform.h"

namespace {

std::vector<text> tokens;

} // namespace

void record_arguments(int argc, char **argv) {
  tokens.clear();
  for (int i = 0; i < argc; ++i)
    tokens.push_back(decode_name(argv[i]));
}

const std::vector<text> &command_line_detail::command_tokens() { return tokens; }

text program_path() { return tokens.empty() ? text() : tokens[0]; }
