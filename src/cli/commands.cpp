#include <algorithm>
#include <string>

#include "cli/cli.h"
#include "cli/load.h"
#include "core/files/signal_io.h"
#include "core/grid/cell_text.h"
#include "core/model/cp1251.h"

int cli_info(const cli_args& args, cli_io io) {
  if (args.size() != 1) return cli_usage_error(io, "info takes one file");
  loaded_signal signal;
  if (const int status = load_for_cli(args[0], signal, io); status != cli_ok) return status;
  uint32_t min = 0;
  uint32_t max = 0;
  bool first = true;
  for (const auto& [number, p] : signal.store) {
    const uint32_t length = p->size(true);
    min = first ? length : std::min(min, length);
    max = std::max(max, length);
    first = false;
  }
  io.out << "packets=" << signal.store.size() << " min=" << min << " max=" << max << '\n';
  return cli_ok;
}

namespace {

void append_cell(std::string& line, uint8_t b, view_mode mode, const cp1251_table& chars) {
  if (mode == view_mode::text) {
    line += has_text_char(b) ? chars.utf8(b) : std::string(".");
    return;
  }
  char buffer[8];
  line += numeric_cell_text(b, mode, buffer);
}

}  // namespace

int cli_dump(const cli_args& args, cli_io io) {
  view_mode mode = view_mode::hexadecimal;
  std::string path;
  for (const std::string& arg : args) {
    if (arg == "--dec") {
      mode = view_mode::decimal;
    } else if (arg == "--hex") {
      mode = view_mode::hexadecimal;
    } else if (arg == "--bin") {
      mode = view_mode::binary;
    } else if (arg == "--text") {
      mode = view_mode::text;
    } else if (arg.starts_with("--") || !path.empty()) {
      return cli_usage_error(io, "unexpected argument " + arg);
    } else {
      path = arg;
    }
  }
  if (path.empty()) return cli_usage_error(io, "dump needs a file");
  loaded_signal signal;
  if (const int status = load_for_cli(path, signal, io); status != cli_ok) return status;
  const cp1251_table chars;
  std::string line;
  for (const auto& [number, p] : signal.store) {
    const uint32_t length = p->size(true);
    line.clear();
    line += std::to_string(uint64_t{number} + 1);
    line += '\t';
    line += std::to_string(length);
    line += '\t';
    for (uint32_t i = 0; i < length; ++i) {
      if (i > 0) line += ' ';
      append_cell(line, p->bytes()[i], mode, chars);
    }
    line += '\n';
    io.out << line;
  }
  return cli_ok;
}

int cli_convert(const cli_args& args, cli_io io) {
  bool bit = false;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg == "--bit") {
      bit = true;
    } else if (arg.starts_with("--")) {
      return cli_usage_error(io, "unexpected argument " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) return cli_usage_error(io, "convert takes an input and an output file");
  const std::string& target = files[1];
  if (names_bit_file(target)) bit = true;
  loaded_signal signal;
  if (const int status = load_for_cli(files[0], signal, io); status != cli_ok) return status;
  return save_for_cli(target, signal.store, !bit, io);
}
