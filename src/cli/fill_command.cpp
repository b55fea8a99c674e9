#include <new>

#include "cli/load.h"
#include "cli/store_command.h"
#include "core/files/signal_io.h"
#include "core/operations/fill.h"
#include "core/operations/int_text.h"

namespace {

// The last of the texts given, or nothing.
std::optional<std::string> last_of(const std::vector<std::string>& given) {
  if (given.empty()) return std::nullopt;
  return given.back();
}

// Checks the options as the dialog checks its fields, the fill value first; returns the problem
// or "".
std::string check_fill_args(bool longest, const std::vector<std::string>& targets,
                            const std::vector<std::string>& values, fill_params& params) {
  if (const auto text = last_of(values)) {
    const std::optional<int32_t> value = parse_int32(*text);
    if (!value || *value < 0 || *value > 255) return std::string(fill_invalid_value_text);
    params.value = static_cast<uint8_t>(*value);
  }
  if (longest == !targets.empty()) return "fill takes one of --longest and --to N";
  params.longest = longest;
  if (!longest) {
    const std::optional<int32_t> target = parse_int32(targets.back());
    if (!target) return std::string(fill_invalid_target_text);
    params.target = *target;
  }
  return {};
}

cli_result run_fill(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, fill_command);
  int longest = 0;
  app.add_flag("--longest", longest, "pad to the longest packet of the whole signal");
  std::vector<std::string> targets;
  std::vector<std::string> values;
  add_value_option(app, "--to", targets, "pad to N bytes (signed decimal; 0 or less pads nothing)")
      ->type_name("N");
  add_value_option(app, "--value", values, "the added bytes' value, 0 to 255 (default 0)")
      ->type_name("V");
  store_args files;
  add_store_args(app, files);
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  fill_params params;
  std::string problem = check_fill_args(longest != 0, targets, values, params);
  if (problem.empty()) problem = check_store_args(fill_command, app, files);
  if (!problem.empty()) return cli_usage_error(io, problem);

  const std::string target_option =
      params.longest ? std::string("--longest") : "--to " + std::to_string(params.target);
  const auto check = [&](const PAKETS& store, const scope& s,
                         signal_format format) -> store_refusal {
    // Before the pass, so that a refused fill writes nothing: the output's packet limit first,
    // then the memory the padding takes.
    const int64_t target = fill_target(store, params);
    if (format != signal_format::bit && target > int64_t{max_packet_bytes(format)} &&
        fill_growth(store, s, params) != 0) {
      return {target_option + " is too long: " + packet_limit_text(format), cli_result::format};
    }
    if (!fill_fits_memory(store, s, params)) {
      return {target_option + " grows the packets beyond the memory available", cli_result::format};
    }
    return {};
  };
  const auto operation = [&params](PAKETS& store, const scope& s, pass& run) {
    // A packet that could not grow stops the pass: reported as out of memory.
    if (!fill(store, s, params, run)) throw std::bad_alloc();
  };
  return run_store_command(files, operation, io, processed_changed, check);
}

}  // namespace

const cli_command fill_command = {
    "fill", "(--longest | --to N) [--value V] [--where CONDS] IN.sig -o OUT.sig",
    "Pads every packet in scope shorter than the longest packet, or than N bytes, with bytes of "
    "value V, writes the result and prints processed=P changed=C.",
    run_fill};
