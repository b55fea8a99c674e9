#include <string_view>

#include "cli/cli.h"

namespace {

struct command {
  std::string_view name;
  int (*run)(const cli_args&, cli_io);
};

constexpr command commands[] = {
    {"info", cli_info},
    {"dump", cli_dump},
    {"convert", cli_convert},
    {"decode", cli_decode},
    {"cut", cli_cut},
};

}  // namespace

int cli_usage_error(cli_io io, const std::string& problem) {
  if (!problem.empty()) io.err << "pelorin-cli: " << problem << '\n';
  io.err << "usage:\n"
            "  pelorin-cli info FILE.sig\n"
            "  pelorin-cli dump [--dec|--hex|--bin|--text] FILE.sig\n"
            "  pelorin-cli convert [--bit] IN.sig OUT\n"
            "  pelorin-cli decode [--packet N] FILE.sig\n"
            "  pelorin-cli cut [--bytes|--bits] --start N [--end M] IN.sig -o OUT.sig\n";
  return cli_usage;
}

int cli_main(int argc, char** argv, cli_io io) {
  if (argc < 2) return cli_usage_error(io, "");
  const std::string_view name = argv[1];
  for (const command& c : commands) {
    if (c.name == name) {
      const cli_args args(argv + 2, argv + argc);
      return c.run(args, io);
    }
  }
  return cli_usage_error(io, "unknown command " + std::string(name));
}
