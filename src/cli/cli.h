#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit statuses of pelorin-cli.
enum cli_status : int {
  cli_ok = 0,
  cli_usage = 2,       // wrong arguments; the usage text goes to stderr
  cli_open_error = 3,  // a file cannot be opened, mapped or written
  cli_format_error = 4 // a SIG file or a SIG conversion fails
};

struct cli_io {
  std::ostream& out;
  std::ostream& err;
};

using cli_args = std::vector<std::string>;

// Each command gets the arguments after its name.
int cli_info(const cli_args& args, cli_io io);
int cli_dump(const cli_args& args, cli_io io);
int cli_convert(const cli_args& args, cli_io io);
int cli_decode(const cli_args& args, cli_io io);
int cli_cut(const cli_args& args, cli_io io);

// Runs the command named by argv[1].
int cli_main(int argc, char** argv, cli_io io);

// Writes the usage text to io.err and returns cli_usage.
int cli_usage_error(cli_io io, const std::string& problem);
