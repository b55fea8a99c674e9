#include "cli/store_command.h"

#include "cli/load.h"

void add_store_args(CLI::App& app, store_args& args, bool with_where) {
  app.add_option("IN.sig", args.input, "the signal")->type_name("");
  add_value_option(app, "-o", args.outputs,
                   "the file written: BIT when it ends in .bit, pcap when in .pcap, .pcapng or "
                   ".cap, SIG otherwise")
      ->type_name("OUT.sig");
  if (!with_where) return;
  add_value_option(app, "--where", args.where,
                   "only packets meeting every condition of the comma-separated list: byte:P=V, "
                   "byte:P!=V, byte:P<=V, byte:P>=V, bit:P=V (P from 1; V decimal or 0x hex)")
      ->type_name("CONDS");
}

std::string check_store_args(const cli_command& command, const CLI::App& app, store_args& args) {
  if (app.count("IN.sig") == 0 || args.outputs.empty()) {
    return std::string(command.name) + " takes IN.sig -o OUT.sig";
  }
  for (const std::string& text : args.where) {
    clauses_parse_result parsed = parse_clauses(text);
    if (!parsed.error.empty()) return "--where: " + parsed.error;
    args.conditions.insert(args.conditions.end(), parsed.clauses.begin(), parsed.clauses.end());
  }
  return {};
}

std::string processed_changed(const PLUGIN_RESULT& r) {
  return "processed=" + std::to_string(r.processed) + " changed=" + std::to_string(r.changed) +
         '\n';
}

cli_result run_store_command(const store_args& args, const store_operation& operation, cli_io io,
                             counters_line line, const store_check& check) {
  loaded_signal signal;
  if (const cli_result r = load_for_cli(args.input, signal, io); r != cli_result::ok) return r;
  scope in_scope;
  if (!args.where.empty()) in_scope.conditions = &args.conditions;
  const std::string& output = args.outputs.back();
  const signal_format format = format_for_writing(output);
  if (check) {
    if (const store_refusal refused = check(signal.store, in_scope, format);
        !refused.problem.empty()) {
      if (refused.result == cli_result::usage) return cli_usage_error(io, refused.problem);
      io.err << "pelorin-cli: " << refused.problem << '\n';
      return refused.result;
    }
  }
  pass run;
  operation(signal.store, in_scope, run);
  if (const cli_result r = save_for_cli(output, signal.store, format, io); r != cli_result::ok) {
    return r;
  }
  io.out << line(run.result);
  return cli_result::ok;
}
