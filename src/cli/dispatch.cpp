#include <new>
#include <string_view>

#include "cli/cli.h"

namespace {

// Every command, in the order the usage text lists them.
constexpr const cli_command* commands[] = {
    &info_command,  &dump_command,   &convert_command, &decode_command, &cut_command,
    &demux_command, &defrag_command, &stats_command,   &find_command,   &select_command,
    &swap_command,  &fill_command,   &edit_command,
};

void write_usage(std::ostream& out) {
  out << "usage:\n";
  for (const cli_command* c : commands) {
    out << "  pelorin-cli " << c->name << ' ' << c->usage << '\n';
  }
}

cli_result run_command(int argc, char** argv, cli_io io) {
  if (argc < 2) return cli_usage_error(io, "");
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h") {
    write_usage(io.out);
    io.out << "'pelorin-cli COMMAND --help' describes a command and its options.\n";
    return cli_result::ok;
  }
  for (const cli_command* c : commands) {
    if (c->name == name) return c->run(cli_args(argv + 2, argv + argc), io);
  }
  return cli_usage_error(io, "unknown command " + std::string(name));
}

}  // namespace

cli_result cli_usage_error(cli_io io, const std::string& problem) {
  if (!problem.empty()) io.err << "pelorin-cli: " << problem << '\n';
  write_usage(io.err);
  return cli_result::usage;
}

int cli_main(int argc, char** argv, cli_io io) {
  cli_result result = cli_result::ok;
  try {
    result = run_command(argc, argv, io);
  } catch (const std::bad_alloc&) {
    // The command's store has been freed by now; a save cleans up its own temporary file.
    io.err << "pelorin-cli: out of memory\n";
    result = cli_result::format;
  }
  io.out.flush();
  if (!io.out && result == cli_result::ok) {
    io.err << "pelorin-cli: cannot write the standard output\n";
    result = cli_result::file;
  }
  return static_cast<int>(result);
}
