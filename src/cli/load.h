#pragma once

#include <string>

#include "cli/cli.h"
#include "core/files/file_format.h"
#include "core/model/pakets.h"

// A signal loaded for one command; its packets are destroyed with it.
struct loaded_signal {
  loaded_signal() = default;
  loaded_signal(const loaded_signal&) = delete;
  loaded_signal& operator=(const loaded_signal&) = delete;
  ~loaded_signal() { unload_store(store); }
  PAKETS store;
  bool capture = false;  // read as a capture (pcap, pcapng) rather than SIG
};

// Loads `path` into signal.store; on failure writes one line, with the reason and the number of
// packets read, to io.err and returns the result. Every command loads through here.
[[nodiscard]] cli_result load_for_cli(const std::string& path, loaded_signal& signal, cli_io io);

// "a SIG file holds packets of at most 65535 bytes", or the same of pcap; empty for BIT.
[[nodiscard]] std::string packet_limit_text(signal_format format);

// Saves the store in `format`; on failure, running out of memory included, writes one line to
// io.err and returns the result (the target is then untouched and no temporary file is left).
[[nodiscard]] cli_result save_for_cli(const std::string& path, const PAKETS& store,
                                      signal_format format, cli_io io);
