#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/cli.h"

// Makes `app` the parser of one command's arguments, with -h/--help; its help starts with the
// command's usage line. Arguments it does not know are left for parse_command_line to refuse.
void setup_parser(CLI::App& app, const cli_command& command);

// Adds an option taking one value per use, each use appended to `values`, so that the command
// decides what a repeated option means.
CLI::Option* add_value_option(CLI::App& app, const std::string& name,
                              std::vector<std::string>& values, const std::string& help);

// Parses the arguments. Returns nothing when the command should go on; otherwise the result it
// ends with: ok after --help (the help went to io.out), usage after a wrong argument (reported).
[[nodiscard]] std::optional<cli_result> parse_command_line(CLI::App& app, const cli_args& args,
                                                           cli_io io);
