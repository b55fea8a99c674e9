#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// How a pelorin-cli command ends; the value is the program's exit status.
enum class cli_result : int {
  ok = 0,
  not_found = 1,  // find: nothing matched
  usage = 2,      // wrong arguments; the usage text goes to stderr
  file = 3,       // a file (or the standard output) cannot be opened, mapped or written
  format = 4      // a SIG file or a SIG conversion fails, or memory runs out
};

struct cli_io {
  std::ostream& out;
  std::ostream& err;
};

using cli_args = std::vector<std::string>;

// One command: its name, its arguments as the usage text shows them, one line for --help, and
// the function that reads the arguments after the name and runs.
struct cli_command {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  cli_result (*run)(const cli_args& args, cli_io io);
};

// The commands, each defined in its own file.
extern const cli_command info_command;
extern const cli_command dump_command;
extern const cli_command convert_command;
extern const cli_command decode_command;
extern const cli_command cut_command;
extern const cli_command demux_command;
extern const cli_command defrag_command;
extern const cli_command stats_command;
extern const cli_command find_command;
extern const cli_command select_command;
extern const cli_command swap_command;
extern const cli_command fill_command;
extern const cli_command edit_command;

// Runs the command named by argv[1] and returns the exit status. Ends with a check of io.out: a
// standard output that could not be written makes a successful command fail with `file`.
int cli_main(int argc, char** argv, cli_io io);

// Writes "pelorin-cli: PROBLEM" (unless empty) and the usage text to io.err.
cli_result cli_usage_error(cli_io io, const std::string& problem);
