#include "cli/load.h"

#include "files/signal_io.h"

int load_for_cli(const std::string& path, loaded_signal& signal, cli_io io) {
  const load_result loaded = load_sig_file(path, signal.store);
  switch (loaded.open_result) {
    case 0:
      break;
    case 3:
      io.err << "pelorin-cli: cannot map " << path << " (empty or unreadable file)\n";
      return cli_open_error;
    default:
      io.err << "pelorin-cli: cannot open " << path
             << " (missing, not a regular file, or in use)\n";
      return cli_open_error;
  }
  if (!loaded.ok) {
    io.err << "pelorin-cli: " << path << ": SIG format error after packet " << loaded.next
           << '\n';
    return cli_format_error;
  }
  return cli_ok;
}
