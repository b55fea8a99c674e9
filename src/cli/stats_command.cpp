#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/load.h"
#include "core/operations/int_text.h"
#include "core/statistics/statistics.h"

namespace {

// The positions of a list "3,7" (from 1) as 0-based indexes; the problem, or "", in `problem`.
std::vector<uint32_t> read_positions(const std::string& list, std::string& problem) {
  std::vector<uint32_t> positions;
  size_t start = 0;
  while (true) {
    const size_t comma = list.find(',', start);
    const std::string text = list.substr(start, comma - start);
    const std::optional<int32_t> value = parse_int32(text);
    if (!value || *value < 1) {
      problem = "invalid position " + text + " (positions count from 1)";
      return {};
    }
    positions.push_back(static_cast<uint32_t>(*value - 1));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (positions.size() > stat_max_positions) problem = "at most five positions";
  return positions;
}

cli_result run_stats(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, stats_command);
  std::vector<std::string> bytes;
  std::vector<std::string> bits;
  add_value_option(app, "--bytes", bytes, "byte positions from 1, comma-separated (at most five)")
      ->type_name("P1[,P2...]");
  add_value_option(app, "--bits", bits, "bit positions from 1, comma-separated (at most five)")
      ->type_name("P1[,P2...]");
  bool lengths = false;
  app.add_flag("--lengths", lengths, "count the packet lengths in bytes");
  std::string path;
  const CLI::Option* file = app.add_option("IN.sig", path, "the signal")->type_name("");
  if (const auto stop = parse_command_line(app, args, io)) return *stop;

  const size_t modes = bytes.size() + bits.size() + (lengths ? 1 : 0);
  if (modes != 1) return cli_usage_error(io, "stats takes one of --bytes, --bits, --lengths");
  if (file->count() == 0) return cli_usage_error(io, "stats takes one file");
  stat_mode mode = stat_mode::lengths;
  std::vector<uint32_t> positions;
  if (!bytes.empty() || !bits.empty()) {
    mode = bytes.empty() ? stat_mode::bits : stat_mode::bytes;
    std::string problem;
    positions = read_positions(bytes.empty() ? bits.front() : bytes.front(), problem);
    if (!problem.empty()) return cli_usage_error(io, problem);
  }

  loaded_signal signal;
  if (const cli_result r = load_for_cli(path, signal, io); r != cli_result::ok) return r;
  pass run;
  const stat_result result = statistics(signal.store, mode, positions, run);
  if (result.limited) io.err << stat_too_many_variants << '\n';
  io.out << statistics_csv(result.variants, mode, positions, signal.store.size());
  return cli_result::ok;
}

}  // namespace

const cli_command stats_command = {
    "stats", "(--bytes P1[,P2...] | --bits P1[,P2...] | --lengths) IN.sig",
    "Counts how often each combination of byte values, bit values or each packet length occurs "
    "and writes the variants, most frequent first, as CSV.",
    run_stats};
