#include <charconv>
#include <string>

#include "cli/store_command.h"
#include "core/operations/demux.h"

namespace {

// "F-L" with 1 <= F <= L, grid columns (byte 1 = column 1); returns byte indexes.
bool parse_columns(const std::string& text, demux_params& params) {
  const size_t dash = text.find('-');
  if (dash == std::string::npos) return false;
  uint32_t first = 0;
  uint32_t last = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto a = std::from_chars(begin, begin + dash, first);
  const auto b = std::from_chars(begin + dash + 1, end, last);
  if (a.ec != std::errc{} || a.ptr != begin + dash || b.ec != std::errc{} || b.ptr != end ||
      dash == 0 || first < 1 || last < first) {
    return false;
  }
  params.first = first - 1;
  params.last = last - 1;
  return true;
}

std::string demux_counters(const PLUGIN_RESULT& r) {
  return "processed=" + std::to_string(r.processed) + " changed=" + std::to_string(r.changed) +
         " deleted=" + std::to_string(r.deleted) + '\n';
}

cli_result run_demux(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, demux_command);
  int keep = 0;
  int remove = 0;
  app.add_flag("--keep", keep, "keep the columns F..L of every packet in scope");
  app.add_flag("--remove", remove, "remove the columns F..L from every packet in scope");
  std::vector<std::string> columns;
  add_value_option(app, "--columns", columns, "grid columns F-L (byte 1 = column 1)")
      ->type_name("F-L");
  store_args files;
  add_store_args(app, files);
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  demux_params params;
  std::string problem;
  if ((keep != 0) == (remove != 0)) {
    problem = "demux needs one of --keep and --remove";
  } else if (columns.empty()) {
    problem = "demux needs --columns";
  } else if (!parse_columns(columns.back(), params)) {
    problem = "invalid --columns " + columns.back() + " (F-L with 1 <= F <= L)";
  }
  params.keep = keep != 0;
  if (problem.empty()) problem = check_store_args(demux_command, app, files);
  if (!problem.empty()) return cli_usage_error(io, problem);
  const auto operation = [&params](PAKETS& store, const scope& s, pass& run) {
    demux(store, s, params, run);
  };
  return run_store_command(files, operation, io, demux_counters);
}

}  // namespace

const cli_command demux_command = {
    "demux", "(--keep | --remove) --columns F-L [--where CONDS] IN.sig -o OUT",
    "Keeps or removes the grid columns F..L of every packet in scope, renumbers the packets, "
    "writes the result and prints processed=P changed=C deleted=D.",
    run_demux};
