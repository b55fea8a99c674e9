#include "cli/load.h"

#include <new>

#include "core/files/signal_io.h"

cli_result load_for_cli(const std::string& path, loaded_signal& signal, cli_io io) {
  const load_result loaded = load_sig_file(path, signal.store);
  switch (loaded.open_result) {
    case 0:
      break;
    case 3:
      io.err << "pelorin-cli: cannot map " << path << " (empty or unreadable file)\n";
      return cli_result::file;
    default:
      io.err << "pelorin-cli: cannot open " << path
             << " (missing, not a regular file, or in use)\n";
      return cli_result::file;
  }
  if (!loaded.ok) {
    // The loader stops at the first packet it cannot create: with SIG records that is memory
    // running out.
    io.err << "pelorin-cli: " << path << ": SIG format error or out of memory after packet "
           << loaded.next << '\n';
    return cli_result::format;
  }
  return cli_result::ok;
}

bool names_bit_file(const std::string& path) {
  return path.ends_with(".bit");
}

cli_result save_for_cli(const std::string& path, const PAKETS& store, bool with_length, cli_io io) {
  save_result saved;
  try {
    saved =
        save_signal_file(path, store, with_length ? format_for_target(path) : signal_format::bit);
  } catch (const std::bad_alloc&) {
    io.err << "pelorin-cli: out of memory while writing " << path << '\n';
    return cli_result::file;
  }
  switch (saved.status) {
    case save_status::saved:
      return cli_result::ok;
    case save_status::packet_too_long:
      io.err << "pelorin-cli: packet " << uint64_t{saved.packet} + 1
             << " is longer than 65535 bytes: a SIG file cannot hold it\n";
      return cli_result::format;
    case save_status::cancelled:
    case save_status::write_failed:
      break;
  }
  io.err << "pelorin-cli: cannot write " << path << '\n';
  return cli_result::file;
}
