#include "cli/command_line.h"

#include <algorithm>
#include <memory>

namespace {

// CLI11's help, but opening with the command's own usage line and then its summary.
class usage_formatter : public CLI::Formatter {
 public:
  explicit usage_formatter(const cli_command& command) : command_(command) {}
  std::string make_description(const CLI::App*) const override { return {}; }
  std::string make_usage(const CLI::App*, std::string) const override {
    return "usage: pelorin-cli " + std::string(command_.name) + ' ' + std::string(command_.usage) +
           "\n" + std::string(command_.summary) + '\n';
  }

 private:
  const cli_command& command_;
};

}  // namespace

void setup_parser(CLI::App& app, const cli_command& command) {
  app.name("pelorin-cli " + std::string(command.name));
  app.description(std::string(command.summary));
  app.formatter(std::make_shared<usage_formatter>(command));
  app.allow_extras();
}

CLI::Option* add_value_option(CLI::App& app, const std::string& name,
                              std::vector<std::string>& values, const std::string& help) {
  return app.add_option(name, values, help)->allow_extra_args(false)->take_all();
}

std::optional<cli_result> parse_command_line(CLI::App& app, const cli_args& args, cli_io io) {
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    io.out << app.help();
    return cli_result::ok;
  } catch (const CLI::ArgumentMismatch& e) {
    // The only mismatch left with one value per use: an option at the end without its value.
    const std::string what = e.what();
    return cli_usage_error(io, what.substr(0, what.find(':')) + " needs a value");
  } catch (const CLI::ParseError& e) {
    return cli_usage_error(io, e.what());
  }
  // A lone "--" only ends the options (so that a file may start with "-"); CLI11 keeps it.
  for (const std::string& extra : app.remaining()) {
    if (extra != "--") return cli_usage_error(io, "unexpected argument " + extra);
  }
  return std::nullopt;
}
