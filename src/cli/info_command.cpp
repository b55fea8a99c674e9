#include <algorithm>

#include "cli/command_line.h"
#include "cli/load.h"
#include "core/files/capture_file.h"

namespace {

cli_result run_info(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, info_command);
  std::string path;
  const CLI::Option* file = app.add_option("FILE.sig", path, "the signal")->type_name("");
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  if (file->count() == 0) return cli_usage_error(io, "info takes one file");

  loaded_signal signal;
  if (const cli_result r = load_for_cli(path, signal, io); r != cli_result::ok) return r;
  uint32_t min = 0;
  uint32_t max = 0;
  bool first = true;
  for (const auto& [number, p] : signal.store) {
    const uint32_t length = p->size(true);
    min = first ? length : std::min(min, length);
    max = std::max(max, length);
    first = false;
  }
  io.out << "packets=" << signal.store.size() << " min=" << min << " max=" << max;
  // A capture's frames keep the link type they were read with.
  if (signal.capture && !signal.store.link_types().empty()) {
    io.out << " link=" << link_type_names(signal.store.link_types());
  }
  io.out << '\n';
  return cli_result::ok;
}

}  // namespace

const cli_command info_command = {
    "info", "FILE.sig",
    "Prints the packet count and the shortest and longest byte length, and for a capture the "
    "link type of its frames.",
    run_info};
