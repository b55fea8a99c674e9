#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli.h"
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

}  // namespace

int cli_decode(const cli_args& args, cli_io io) {
  std::optional<uint64_t> number;
  std::string path;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--packet") {
      if (number || i + 1 == args.size()) return cli_usage_error(io, "--packet needs one number");
      number = packet_number(args[++i]);
      if (!number) return cli_usage_error(io, "bad packet number " + args[i]);
    } else if (arg.starts_with("--") || !path.empty()) {
      return cli_usage_error(io, "unexpected argument " + arg);
    } else {
      path = arg;
    }
  }
  if (path.empty()) return cli_usage_error(io, "decode needs a file");
  loaded_signal signal;
  if (const int status = load_for_cli(path, signal, io); status != cli_ok) return status;
  if (number) {
    if (*number > signal.store.size()) {
      return cli_usage_error(io, "packet " + std::to_string(*number) + " is out of range 1.." +
                                     std::to_string(signal.store.size()));
    }
    write_tree(*signal.store.at(static_cast<uint32_t>(*number - 1)), io.out);
    return cli_ok;
  }
  for (const auto& [n, p] : signal.store) {
    write_tree(*p, io.out);
    io.out << '\n';
  }
  return cli_ok;
}
