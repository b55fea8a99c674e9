#include <charconv>
#include <cstdint>
#include <optional>

#include "cli/command_line.h"
#include "cli/load.h"
#include "core/model/paket.h"
#include "core/protocols/protocol.h"

namespace {

// A packet number as the grid shows it: decimal digits only, from 1.
std::optional<uint64_t> packet_number(const std::string& text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value == 0) return std::nullopt;
  return value;
}

// "пакет", each layer's name indented by two blanks, each of its lines by four.
void write_tree(xpaket& p, std::ostream& out) {
  p.decode();
  std::string text = "пакет\n";
  for (const xprotocol* layer : p.protocols) {
    text += "  " + layer->name() + '\n';
    for (std::size_t i = 0; i < layer->line_count(); ++i) text += "    " + layer->line(i) + '\n';
  }
  p.clear_protocols();
  out << text;
}

cli_result run_decode(const cli_args& args, cli_io io) {
  CLI::App app;
  setup_parser(app, decode_command);
  std::vector<std::string> packets;
  add_value_option(app, "--packet", packets, "only packet N, counted from 1")->type_name("N");
  std::string path;
  const CLI::Option* file = app.add_option("FILE.sig", path, "the signal")->type_name("");
  if (const auto stop = parse_command_line(app, args, io)) return *stop;
  if (packets.size() > 1) return cli_usage_error(io, "--packet needs one number");
  std::optional<uint64_t> number;
  if (!packets.empty()) {
    number = packet_number(packets.front());
    if (!number) return cli_usage_error(io, "bad packet number " + packets.front());
  }
  if (file->count() == 0) return cli_usage_error(io, "decode needs a file");

  loaded_signal signal;
  if (const cli_result r = load_for_cli(path, signal, io); r != cli_result::ok) return r;
  if (number) {
    if (*number > signal.store.size()) {
      return cli_usage_error(io, "packet " + std::to_string(*number) + " is out of range 1.." +
                                     std::to_string(signal.store.size()));
    }
    write_tree(*signal.store.at(static_cast<uint32_t>(*number - 1)), io.out);
    return cli_result::ok;
  }
  for (const auto& [n, p] : signal.store) {
    write_tree(*p, io.out);
    if (!(io.out << '\n')) break;  // the caller reports the failed output
  }
  return cli_result::ok;
}

}  // namespace

const cli_command decode_command = {
    "decode", "[--packet N] FILE.sig",
    "Prints the protocol tree of packet N or of every packet, each followed by an empty line.",
    run_decode};
