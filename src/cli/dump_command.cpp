#include "cli/command_line.h"
#include "cli/load.h"
#include "core/grid/cell_text.h"
#include "core/model/cp1251.h"

namespace {

void append_cell(std::string& line, uint8_t b, view_mode mode, const cp1251_table& chars) {
  if (mode == view_mode::text) {
    line += has_text_char(b) ? chars.utf8(b) : std::string(".");
    return;
  }
  char buffer[8];
  line += numeric_cell_text(b, mode, buffer);
}

cli_result run_dump(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, dump_command);
  view_mode mode = view_mode::hexadecimal;
  struct mode_flag {
    const char* name;
    view_mode mode;
    const char* help;
  };
  const mode_flag flags[] = {
      {"--dec", view_mode::decimal, "decimal bytes"},
      {"--hex", view_mode::hexadecimal, "hexadecimal bytes (the default)"},
      {"--bin", view_mode::binary, "bits, bit 0 first"},
      {"--text", view_mode::text, "Windows-1251 characters, . for bytes 0 to 32"},
  };
  // The last mode given wins: the flags act in the order they come.
  for (const mode_flag& f : flags) {
    app.add_flag_callback(
           f.name, [&mode, &f] { mode = f.mode; }, f.help)
        ->trigger_on_parse();
  }
  std::string path;
  const CLI::Option* file = app.add_option("FILE.sig", path, "the signal")->type_name("");
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  if (file->count() == 0) return cli_usage_error(io, "dump needs a file");

  loaded_signal signal;
  if (const cli_result r = load_for_cli(path, signal, io); r != cli_result::ok) return r;
  const cp1251_table& chars = cp1251();
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
    if (!(io.out << line)) break;  // the caller reports the failed output
  }
  return cli_result::ok;
}

}  // namespace

const cli_command dump_command = {
    "dump", "[--dec|--hex|--bin|--text] FILE.sig",
    "Prints one line per packet: row number, tab, byte length, tab, the bytes as the grid shows "
    "them.",
    run_dump};
