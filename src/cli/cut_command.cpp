#include <new>
#include <string>

#include "cli/store_command.h"
#include "core/operations/cut.h"
#include "core/operations/int_text.h"

namespace {

// Reads the last of the counts given for `name` into `count`; returns the problem or "".
std::string last_count(const std::vector<std::string>& given, const char* name, int32_t& count) {
  for (const std::string& text : given) {
    const std::optional<int32_t> value = parse_int32(text);
    if (!value) return "invalid count " + text + " for " + name;
    count = *value;
  }
  return {};
}

std::string check_cut_args(const std::vector<std::string>& starts,
                           const std::vector<std::string>& ends, cut_params& params) {
  if (std::string problem = last_count(starts, "--start", params.start); !problem.empty()) {
    return problem;
  }
  if (std::string problem = last_count(ends, "--end", params.end); !problem.empty()) {
    return problem;
  }
  if (starts.empty()) return "cut needs --start";
  if (params.bits && !ends.empty()) return "--end cannot be used with --bits";
  return {};
}

cli_result run_cut(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, cut_command);
  cut_params params;
  // The last unit given wins: the flags act in the order they come.
  app.add_flag_callback(
         "--bytes", [&params] { params.bits = false; }, "count in bytes (default)")
      ->trigger_on_parse();
  app.add_flag_callback(
         "--bits", [&params] { params.bits = true; }, "count in bits")
      ->trigger_on_parse();
  std::vector<std::string> starts;
  std::vector<std::string> ends;
  add_value_option(app, "--start", starts, "units cut from the start (signed decimal)")
      ->type_name("N");
  add_value_option(app, "--end", ends,
                   "bytes cut from the end (signed decimal; negative appends zeros)")
      ->type_name("M");
  store_args files;
  add_store_args(app, files);
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  std::string problem = check_cut_args(starts, ends, params);
  if (problem.empty()) problem = check_store_args(cut_command, app, files);
  if (!problem.empty()) return cli_usage_error(io, problem);

  const auto check = [&params](const PAKETS& store, const scope& s,
                               signal_format) -> store_refusal {
    if (cut_fits_memory(store, s, params)) return {};
    return {"--end " + std::to_string(params.end) +
            " grows the packets beyond the memory available"};
  };
  const auto operation = [&params](PAKETS& store, const scope& s, pass& run) {
    // A packet that could not get its new buffer stops the pass: reported as out of memory.
    if (!cut(store, s, params, run)) throw std::bad_alloc();
  };
  return run_store_command(files, operation, io, processed_changed, check);
}

}  // namespace

const cli_command cut_command = {
    "cut", "[--bytes|--bits] --start N [--end M] [--where CONDS] IN.sig -o OUT.sig",
    "Cuts N units from the start and M bytes from the end of every packet in scope, writes the "
    "result and prints processed=P changed=C.",
    run_cut};
