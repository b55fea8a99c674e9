#include <charconv>
#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/load.h"
#include "core/operations/conditions.h"
#include "core/operations/select_by_length.h"
#include "core/operations/select_by_values.h"

namespace {

// The colour the selection gives its matches; the packets of a loaded signal are all white, so
// this marks exactly the matches.
constexpr uint32_t match_colour = 0x0000FF;

struct length_operator_text {
  std::string_view text;
  length_operator op;
};
constexpr length_operator_text length_operators[] = {
    {"=", length_operator::equal},
    {"!=", length_operator::not_equal},
    {"<=", length_operator::at_most},
    {">=", length_operator::at_least},
};

struct select_args {
  std::vector<std::string> length;  // OP N
  std::vector<std::string> where;
  std::string input;
  std::vector<std::string> outputs;  // each -o; the last one counts
  length_selection by_length;
  CLAUSES conditions;
};

std::optional<uint32_t> decimal(const std::string& text) {
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Checks the arguments and reads the comparison or the conditions; returns the problem or "".
std::string check_select_args(const CLI::App& app, select_args& args) {
  if (args.length.empty() == args.where.empty())
    return "select takes --length OP N or --where CONDS";
  if (app.count("IN.sig") == 0) return "select takes IN.sig";
  if (!args.length.empty()) {
    if (args.length.size() > 2) return "--length is given once";
    if (args.length.size() != 2) return "--length takes OP N";
    const length_operator_text* found = nullptr;
    for (const length_operator_text& o : length_operators) {
      if (args.length[0] == o.text) found = &o;
    }
    if (found == nullptr) return "--length: OP is one of =, !=, <=, >=";
    const std::optional<uint32_t> n = decimal(args.length[1]);
    if (!n) return "--length: N is a whole number from 0";
    args.by_length = {found->op, *n, match_colour};
    return {};
  }
  for (const std::string& text : args.where) {
    clauses_parse_result parsed = parse_clauses(text);
    if (!parsed.error.empty()) return "--where: " + parsed.error;
    args.conditions.insert(args.conditions.end(), parsed.clauses.begin(), parsed.clauses.end());
  }
  return {};
}

cli_result run_select(const cli_args& arguments, cli_io io) {
  CLI::App app;
  setup_parser(app, select_command);
  select_args args;
  app.add_option("--length", args.length, "packets whose byte count is =, !=, <= or >= N")
      ->expected(2)
      // Every use is collected, so that a second --length is refused by name below.
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->allow_extra_args(false)
      ->type_name("OP N");
  add_value_option(app, "--where", args.where,
                   "packets meeting every condition of the comma-separated list: byte:P=V, "
                   "byte:P!=V, byte:P<=V, byte:P>=V, bit:P=V (P from 1; V decimal or 0x hex)")
      ->type_name("CONDS");
  app.add_option("IN.sig", args.input, "the signal")->type_name("");
  add_value_option(app, "-o", args.outputs,
                   "also write the matching packets: SIG, or BIT when it ends in .bit")
      ->type_name("OUT");
  if (const auto stop = parse_command_line(app, arguments, io)) return *stop;
  if (const std::string problem = check_select_args(app, args); !problem.empty()) {
    return cli_usage_error(io, problem);
  }

  loaded_signal signal;
  if (const cli_result r = load_for_cli(args.input, signal, io); r != cli_result::ok) return r;
  pass run;
  if (args.length.empty()) {
    select_by_values(signal.store, scope{}, args.conditions, match_colour, run);
  } else {
    select_by_length(signal.store, scope{}, args.by_length, run);
  }
  // The matches, borrowed from the loaded signal for the save; this store only drops them.
  PAKETS matches;
  for (const uint32_t type : signal.store.link_types()) matches.add_link_type(type);
  std::string rows;
  for (const auto& [number, p] : signal.store) {
    if (p->colour != match_colour) continue;
    matches.append(p);
    rows += std::to_string(uint64_t{number} + 1);
    rows += '\n';
  }
  if (!args.outputs.empty()) {
    const std::string& output = args.outputs.back();
    if (const cli_result r = save_for_cli(output, matches, format_for_writing(output), io);
        r != cli_result::ok) {
      return r;
    }
  }
  io.out << rows << "matched=" << run.result.recoloured << " processed=" << run.result.processed
         << '\n';
  return cli_result::ok;
}

}  // namespace

const cli_command select_command = {
    "select", "(--length OP N | --where CONDS) IN.sig [-o OUT]",
    "Prints the grid row (from 1) of every packet of IN whose byte count compares with N by OP "
    "(=, !=, <=, >=) or that meets every condition, then matched=M processed=P; -o also writes "
    "the matching packets.",
    run_select};
