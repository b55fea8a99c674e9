#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "cli/command_line.h"
#include "cli/load.h"
#include "core/operations/int_text.h"
#include "core/operations/search.h"

namespace {

struct find_args {
  std::vector<std::string> texts;
  std::vector<std::string> bit_patterns;
  std::vector<std::string> after;
  std::vector<std::string> before;
  bool all = false;
  std::string input;
};

// The pattern as given (UTF-8) and the search it stands for; returns the usage problem or "".
std::string check_find_args(const find_args& a, const CLI::Option* file, std::string& typed,
                            search_params& params) {
  if (file->count() == 0) return "find needs a file";
  if (a.texts.size() + a.bit_patterns.size() != 1) return "find needs one --text or --bits";
  if (!a.after.empty() && !a.before.empty()) return "--after cannot be used with --before";
  if (a.after.size() > 1 || a.before.size() > 1) return "--after and --before take one row";

  search_direction direction = search_direction::all;
  int32_t row = 0;
  for (const auto& [given, name, d] : {std::tuple{&a.after, "--after", search_direction::down},
                                       std::tuple{&a.before, "--before", search_direction::up}}) {
    if (given->empty()) continue;
    const std::optional<int32_t> value = parse_int32(given->front());
    if (!value) return "invalid row " + given->front() + " for " + name;
    row = *value;
    direction = d;
  }

  params.kind = a.texts.empty() ? search_kind::bits : search_kind::text;
  typed = a.texts.empty() ? a.bit_patterns.front() : a.texts.front();
  prepared_pattern prepared = prepare_pattern(params.kind, typed);
  if (prepared.problem != pattern_problem::none) {
    return std::string(pattern_problem_text(prepared.problem));
  }
  params.pattern = std::move(prepared.pattern);
  params.range = range_of(direction, row);
  params.all_matches = a.all;
  return {};
}

std::string hit_line(const search_params& params, const search_hit& hit) {
  return "row=" + std::to_string(uint64_t{hit.packet} + 1) +
         " column=" + std::to_string(hit_column(params.kind, hit.offset)) +
         " offset=" + std::to_string(hit.offset) + '\n';
}

cli_result run_find(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, find_command);
  find_args a;
  add_value_option(app, "--text", a.texts, "text to find (UTF-8, searched as Windows-1251)")
      ->type_name("S");
  add_value_option(app, "--bits", a.bit_patterns, "bit sequence to find ('0' and '1')")
      ->type_name("B");
  add_value_option(app, "--after", a.after, "search down from the packet after grid row ROW")
      ->type_name("ROW");
  add_value_option(app, "--before", a.before, "search up from the packet before grid row ROW")
      ->type_name("ROW");
  app.add_flag("--all", a.all, "list every matching row instead of the first");
  const CLI::Option* file = app.add_option("IN.sig", a.input, "the signal")->type_name("");
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  std::string typed;
  search_params params;
  if (const std::string problem = check_find_args(a, file, typed, params); !problem.empty()) {
    return cli_usage_error(io, problem);
  }

  loaded_signal signal;
  if (const cli_result r = load_for_cli(a.input, signal, io); r != cli_result::ok) return r;
  pass run;
  if (params.all_matches) {
    uint64_t matched = 0;
    (void)search(signal.store, params, run, [&](const search_hit& hit) {
      ++matched;
      io.out << hit_line(params, hit);
    });
    io.out << "matched=" << matched << '\n';
    return cli_result::ok;
  }
  const std::optional<search_hit> hit = search(signal.store, params, run);
  if (!hit) {
    io.err << not_found_text(typed) << '\n';
    return cli_result::not_found;
  }
  io.out << hit_line(params, *hit);
  return cli_result::ok;
}

}  // namespace

const cli_command find_command = {
    "find", "(--text S | --bits B) [--after ROW | --before ROW] [--all] IN.sig",
    "Finds a text (Windows-1251) or a bit sequence: prints row=R column=C offset=O of the first "
    "matching packet (status 1 when none), or with --all every match and matched=M.",
    run_find};
