#include "cli/command_line.h"
#include "cli/load.h"

namespace {

cli_result run_convert(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, convert_command);
  bool bit = false;
  app.add_flag("--bit", bit, "write BIT whatever the name of OUT");
  std::string input;
  std::string output;
  app.add_option("IN.sig", input, "the signal")->type_name("");
  const CLI::Option* out = app.add_option("OUT", output, "the file written")->type_name("");
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  if (out->count() == 0) return cli_usage_error(io, "convert takes an input and an output file");

  loaded_signal signal;
  if (const cli_result r = load_for_cli(input, signal, io); r != cli_result::ok) return r;
  return save_for_cli(output, signal.store, bit ? signal_format::bit : format_for_writing(output),
                      io);
}

}  // namespace

const cli_command convert_command = {
    "convert", "[--bit] IN.sig OUT",
    "Writes the signal as BIT when OUT ends in .bit, as pcap when it ends in .pcap, .pcapng or "
    ".cap (with the link type the packets were read with), and as SIG otherwise.",
    run_convert};
