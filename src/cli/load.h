#pragma once

#include <string>

#include "cli/cli.h"
#include "core/model/pakets.h"

// A signal loaded for one command; its packets are destroyed with it.
struct loaded_signal {
  loaded_signal() = default;
  loaded_signal(const loaded_signal&) = delete;
  loaded_signal& operator=(const loaded_signal&) = delete;
  ~loaded_signal() { unload_store(store); }
  PAKETS store;
};

// Loads `path` into signal.store; on failure writes one line to io.err and returns the result.
// Every command loads through here.
[[nodiscard]] cli_result load_for_cli(const std::string& path, loaded_signal& signal, cli_io io);

// True for a target named *.bit, which gets the bare packet bytes instead of SIG records.
[[nodiscard]] bool names_bit_file(const std::string& path);

// Saves the store as SIG (with_length) or BIT; on failure, running out of memory included, writes
// one line to io.err and returns the result (the target is then untouched and no temporary file
// is left).
[[nodiscard]] cli_result save_for_cli(const std::string& path, const PAKETS& store,
                                      bool with_length, cli_io io);
