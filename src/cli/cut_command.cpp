#include <new>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/load.h"
#include "core/operations/cut.h"
#include "core/operations/int_text.h"

namespace {

struct cut_command {
  cut_params params;
  bool has_start = false;
  bool has_end = false;
  std::string input;
  std::string output;
};

// Fills `command` from the arguments; returns the problem, or an empty text.
std::string parse_cut_args(const cli_args& args, cut_command& command) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takes_value = arg == "--start" || arg == "--end" || arg == "-o";
    if (takes_value && i + 1 >= args.size()) return arg + " needs a value";
    if (arg == "--bytes") {
      command.params.bits = false;
    } else if (arg == "--bits") {
      command.params.bits = true;
    } else if (arg == "-o") {
      command.output = args[++i];
    } else if (takes_value) {
      const std::optional<int32_t> count = parse_int32(args[++i]);
      if (!count) return "invalid count " + args[i] + " for " + arg;
      (arg == "--start" ? command.params.start : command.params.end) = *count;
      (arg == "--start" ? command.has_start : command.has_end) = true;
    } else if (arg.starts_with("-") || !command.input.empty()) {
      return "unexpected argument " + arg;
    } else {
      command.input = arg;
    }
  }
  if (!command.has_start) return "cut needs --start";
  if (command.params.bits && command.has_end) return "--end cannot be used with --bits";
  if (command.input.empty() || command.output.empty()) return "cut takes IN.sig -o OUT.sig";
  return {};
}

}  // namespace

int cli_cut(const cli_args& args, cli_io io) {
  cut_command command;
  if (const std::string problem = parse_cut_args(args, command); !problem.empty()) {
    return cli_usage_error(io, problem);
  }
  loaded_signal signal;
  if (const int status = load_for_cli(command.input, signal, io); status != cli_ok) return status;
  if (!cut_fits_memory(signal.store, scope{}, command.params)) {
    return cli_usage_error(io, "--end " + std::to_string(command.params.end) +
                                   " grows the packets beyond the memory available");
  }
  pass run;
  if (!cut(signal.store, scope{}, command.params, run)) throw std::bad_alloc();
  if (const int status =
          save_for_cli(command.output, signal.store, !names_bit_file(command.output), io);
      status != cli_ok) {
    return status;
  }
  io.out << "processed=" << run.result.processed << " changed=" << run.result.changed << '\n';
  return cli_ok;
}
