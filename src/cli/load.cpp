#include "cli/load.h"

#include <new>

#include "core/files/capture_file.h"
#include "core/files/signal_io.h"

namespace {

std::string_view reason_of(read_fault fault) {
  switch (fault) {
    case read_fault::memory:
      return "out of memory";
    case read_fault::unreadable:
      return "the file could not be read whole";
    case read_fault::too_many:
      return "too many packets";
    case read_fault::not_a_capture:
      return "no pcap or pcapng header";
    case read_fault::version:
      return "unknown format version";
    case read_fault::cut_short:
      return "the file ends inside a record";
    case read_fault::bad_block:
      return "damaged pcapng block";
    case read_fault::frame_too_long:
      return "a frame longer than its block";
    case read_fault::no_interface:
      return "a packet of an interface the section does not describe";
    case read_fault::none:
      break;
  }
  return "format error";
}

}  // namespace

cli_result load_for_cli(const std::string& path, loaded_signal& signal, cli_io io) {
  const load_result loaded = load_sig_file(path, signal.store);
  signal.capture = loaded.capture;
  switch (loaded.open_result) {
    case 0:
      break;
    case 3:
      io.err << "pelorin-cli: cannot read " << path << '\n';
      return cli_result::file;
    default:
      io.err << "pelorin-cli: cannot open " << path
             << " (missing, not a regular file, or in use)\n";
      return cli_result::file;
  }
  if (!loaded.ok) {
    io.err << "pelorin-cli: " << path << ": "
           << (loaded.capture ? "capture format error" : "SIG file not read whole")
           << " after packet " << loaded.next << ": " << reason_of(loaded.fault) << '\n';
    return cli_result::format;
  }
  return cli_result::ok;
}

std::string packet_limit_text(signal_format format) {
  switch (format) {
    case signal_format::sig:
      return "a SIG file holds packets of at most " + std::to_string(sig_max_packet_bytes) +
             " bytes";
    case signal_format::capture:
      return "a pcap file holds packets of at most " + std::to_string(capture_max_packet_bytes) +
             " bytes";
    case signal_format::bit:
      break;
  }
  return {};
}

cli_result save_for_cli(const std::string& path, const PAKETS& store, signal_format format,
                        cli_io io) {
  save_result saved;
  try {
    saved = save_signal_file(path, store, format);
  } catch (const std::bad_alloc&) {
    io.err << "pelorin-cli: out of memory while writing " << path << '\n';
    return cli_result::file;
  }
  switch (saved.status) {
    case save_status::saved:
      return cli_result::ok;
    case save_status::packet_too_long:
      io.err << "pelorin-cli: packet " << uint64_t{saved.packet} + 1
             << " is too long: " << packet_limit_text(format) << '\n';
      return cli_result::format;
    case save_status::mixed_link_types:
      io.err << "pelorin-cli: the packets were read with different link types ("
             << link_type_names(store.link_types()) << "): a pcap file holds one\n";
      return cli_result::format;
    case save_status::cancelled:
    case save_status::write_failed:
      break;
  }
  io.err << "pelorin-cli: cannot write " << path << '\n';
  return cli_result::file;
}
