#include "cli/store_command.h"
#include "core/operations/swap.h"

namespace {

cli_result run_swap(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, swap_command);
  swap_params params;
  int modes = 0;
  app.add_flag_callback(
      "--reverse-bits",
      [&] {
        params.mode = swap_mode::reverse_bits;
        ++modes;
      },
      "reverse the order of the bits in every stored byte");
  app.add_flag_callback(
      "--swap-bytes",
      [&] {
        params.mode = swap_mode::swap_bytes;
        ++modes;
      },
      "exchange bytes 0 and 1, 2 and 3, ... (a lone last byte stays)");
  store_args files;
  add_store_args(app, files);
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  std::string problem;
  if (modes != 1) problem = "swap takes one of --reverse-bits and --swap-bytes";
  if (problem.empty()) problem = check_store_args(swap_command, app, files);
  if (!problem.empty()) return cli_usage_error(io, problem);

  const auto operation = [&params](PAKETS& store, const scope& s, pass& run) {
    swap(store, s, params, run);
  };
  return run_store_command(files, operation, io);
}

}  // namespace

const cli_command swap_command = {
    "swap", "(--reverse-bits | --swap-bytes) [--where CONDS] IN.sig -o OUT.sig",
    "Reverses the bits of every stored byte, or swaps neighbouring bytes, of every packet in "
    "scope, writes the result and prints processed=P changed=C.",
    run_swap};
