#include "cli/store_command.h"
#include "core/operations/edit.h"
#include "core/operations/int_text.h"

namespace {

std::string check_edit_args(const std::vector<std::string>& bytes,
                            const std::vector<std::string>& bits,
                            const std::vector<std::string>& values, edit_params& params) {
  if (bytes.empty() == bits.empty()) return "edit takes one of --byte P and --bit P";
  params.bits = !bits.empty();
  const std::string& text = params.bits ? bits.back() : bytes.back();
  const std::optional<int32_t> position = parse_int32(text);
  if (!position || *position < 1) {
    return "invalid position " + text + " (counted from 1)";
  }
  params.position = static_cast<uint32_t>(*position - 1);
  if (values.empty()) return "edit needs --value V";
  const std::optional<int32_t> value = parse_int32(values.back());
  if (!value) return std::string(edit_invalid_value_text);
  params.value = edit_value_of(*value);
  return {};
}

cli_result run_edit(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, edit_command);
  std::vector<std::string> bytes;
  std::vector<std::string> bits;
  std::vector<std::string> values;
  add_value_option(app, "--byte", bytes, "write byte P (from 1)")->type_name("P");
  add_value_option(app, "--bit", bits, "write bit P (from 1; bit 1 is bit 0 of the first byte)")
      ->type_name("P");
  add_value_option(app, "--value", values,
                   "the value: its low 8 bits; for a bit, non-zero sets it and 0 clears it")
      ->type_name("V");
  store_args files;
  add_store_args(app, files);
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  edit_params params;
  std::string problem = check_edit_args(bytes, bits, values, params);
  if (problem.empty()) problem = check_store_args(edit_command, app, files);
  if (!problem.empty()) return cli_usage_error(io, problem);

  const auto operation = [&params](PAKETS& store, const scope& s, pass& run) {
    edit(store, s, params, run);
  };
  return run_store_command(files, operation, io);
}

}  // namespace

const cli_command edit_command = {
    "edit", "(--byte P | --bit P) --value V [--where CONDS] IN.sig -o OUT.sig",
    "Writes the value V into byte or bit P (from 1) of every packet in scope long enough for it, "
    "writes the result and prints processed=P changed=C.",
    run_edit};
