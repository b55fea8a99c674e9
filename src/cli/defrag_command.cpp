#include <string>

#include "cli/store_command.h"
#include "core/operations/defrag.h"
#include "core/operations/int_text.h"

namespace {

// One kind of fragment: its conditions and its margins as given.
struct fragment_args {
  std::vector<std::string> conditions;
  std::vector<std::string> head;
  std::vector<std::string> tail;
  CLAUSES clauses;
};

// Reads the last margin given into `count` (0..100); returns the problem or "".
std::string margin(const std::vector<std::string>& given, const std::string& name,
                   uint32_t& count) {
  if (given.empty()) return {};
  const std::optional<int32_t> value = parse_int32(given.back());
  if (!value || *value < 0 || *value > 100) {
    return "invalid " + name + " " + given.back() + " (0..100)";
  }
  count = static_cast<uint32_t>(*value);
  return {};
}

// Parses the conditions of one kind; returns the problem or "".
std::string read_conditions(fragment_args& kind, const std::string& name) {
  if (kind.conditions.empty()) return {};
  const clauses_parse_result parsed = parse_clauses(kind.conditions.back());
  if (!parsed.error.empty()) return name + ": " + parsed.error;
  kind.clauses = parsed.clauses;
  return {};
}

std::string defrag_counters(const PLUGIN_RESULT& r) {
  return "processed=" + std::to_string(r.processed) + " deleted=" + std::to_string(r.deleted) +
         " joined=" + std::to_string(r.joined) + '\n';
}

void add_kind(CLI::App& app, fragment_args& kind, const std::string& name, bool with_head) {
  add_value_option(app, "--" + name, kind.conditions, "conditions of a " + name + " fragment")
      ->type_name("CONDS");
  if (with_head) {
    add_value_option(app, "--" + name + "-head", kind.head, "bytes removed from its start")
        ->type_name("N");
  }
  add_value_option(app, "--" + name + "-tail", kind.tail, "bytes removed from its end")
      ->type_name("N");
}

cli_result run_defrag(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, defrag_command);
  fragment_args first;
  fragment_args middle;
  fragment_args last;
  add_kind(app, first, "first", false);
  add_kind(app, middle, "middle", true);
  add_kind(app, last, "last", true);
  store_args files;
  add_store_args(app, files, false);
  if (const auto stop = parse_command_line(app, args, io)) return *stop;

  defrag_params params;
  std::string problem;
  if (first.conditions.empty()) problem = "defrag needs --first";
  if (problem.empty() && middle.conditions.empty() &&
      (!middle.head.empty() || !middle.tail.empty())) {
    problem = "--middle-head and --middle-tail need --middle";
  }
  if (problem.empty() && last.conditions.empty() && (!last.head.empty() || !last.tail.empty())) {
    problem = "--last-head and --last-tail need --last";
  }
  if (problem.empty()) problem = read_conditions(first, "--first");
  if (problem.empty()) problem = read_conditions(middle, "--middle");
  if (problem.empty()) problem = read_conditions(last, "--last");
  if (problem.empty()) problem = margin(first.tail, "--first-tail", params.first_tail);
  if (problem.empty()) problem = margin(middle.head, "--middle-head", params.middle_head);
  if (problem.empty()) problem = margin(middle.tail, "--middle-tail", params.middle_tail);
  if (problem.empty()) problem = margin(last.head, "--last-head", params.last_head);
  if (problem.empty()) problem = margin(last.tail, "--last-tail", params.last_tail);
  if (problem.empty()) problem = check_store_args(defrag_command, app, files);
  if (!problem.empty()) return cli_usage_error(io, problem);

  // A packet meets a kind when it meets all of that kind's conditions, whatever its colour.
  params.first = scope{true, colour_white, &first.clauses};
  if (!middle.conditions.empty()) params.middle = scope{true, colour_white, &middle.clauses};
  if (!last.conditions.empty()) params.last = scope{true, colour_white, &last.clauses};
  params.on_overlong = [io](uint32_t number) { io.err << defrag_overlong_text(number) << '\n'; };
  const auto operation = [&params](PAKETS& store, const scope&, pass& run) {
    defrag(store, params, run);
  };
  return run_store_command(files, operation, io, defrag_counters);
}

}  // namespace

const cli_command defrag_command = {
    "defrag",
    "--first CONDS [--first-tail N] [--middle CONDS [--middle-head N] [--middle-tail N]] "
    "[--last CONDS [--last-head N] [--last-tail N]] IN.sig -o OUT",
    "Joins fragments into whole packets: a packet meeting the --first conditions opens a group, "
    "--middle ones add to it, a --last one closes it; head and tail counts (0..100) are bytes "
    "removed from a fragment's start and end. Prints processed=P deleted=D joined=J.",
    run_defrag};
