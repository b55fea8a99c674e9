#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "core/files/file_format.h"
#include "core/model/pakets.h"
#include "core/operations/conditions.h"
#include "core/operations/pass.h"

// What every command that changes the store takes besides its own options: IN.sig, -o OUT and
// --where CONDS.
struct store_args {
  std::string input;
  std::vector<std::string> outputs;  // each -o; the last one counts
  std::vector<std::string> where;    // each --where; all their conditions must hold
  CLAUSES conditions;                // read from `where` by check_store_args
};

// Adds IN.sig and -o, and --where unless the command works on every packet.
void add_store_args(CLI::App& app, store_args& args, bool with_where = true);

// Checks that IN and OUT are given and reads the conditions; returns the usage problem, or an
// empty text.
[[nodiscard]] std::string check_store_args(const cli_command& command, const CLI::App& app,
                                           store_args& args);

// The logic half of an operation, called once with the loaded store, the scope and the pass.
using store_operation = std::function<void(PAKETS&, const scope&, pass&)>;

// The counters line a command prints after a successful save, newline included.
using counters_line = std::string (*)(const PLUGIN_RESULT&);
[[nodiscard]] std::string processed_changed(const PLUGIN_RESULT& r);

// Why the operation is refused on the loaded store before it runs: the problem (empty for none)
// and the exit status it gives, a usage error unless said otherwise.
struct store_refusal {
  std::string problem;
  cli_result result = cli_result::usage;
};
// What may refuse the operation, given the store, the scope and the format OUT is written in.
using store_check = std::function<store_refusal(const PAKETS&, const scope&, signal_format)>;

// Loads IN, runs `operation` on the packets meeting the conditions (all packets without --where),
// writes OUT in the format its name asks for (SIG for other names) and prints the counters line.
// A refusal writes "pelorin-cli: PROBLEM" (with the usage text for a usage error) and nothing
// else. A failed load or save reports itself and prints no counters.
[[nodiscard]] cli_result run_store_command(const store_args& args, const store_operation& operation,
                                           cli_io io, counters_line line = processed_changed,
                                           const store_check& check = {});
