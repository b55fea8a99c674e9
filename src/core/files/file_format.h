#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Which format a signal file is read or written in: the one decision the file window and
// pelorin-cli share.

enum class signal_format {
  sig,     // SIG records
  bit,     // the bare packet bytes
  capture  // pcap or pcapng in, pcap out
};

// The format a name's extension (any case) stands for: .sig, .bit, and .pcap, .pcapng or .cap
// for a capture; nothing for any other name. A leading dot starts a hidden name, not an extension.
[[nodiscard]] std::optional<signal_format> format_of_name(std::string_view path);

// The format `path`, whose bytes are `image`, is read in: sig or capture. The name decides first:
// a .sig or .bit file is never taken for a capture, a .pcap, .pcapng or .cap file always is. Any
// other name is read as a capture only when the image starts with a whole, valid pcap or pcapng
// header, and as SIG otherwise.
[[nodiscard]] signal_format format_for_reading(std::string_view path,
                                               std::span<const uint8_t> image);

// The format a save to `path` writes: the name's extension, else `chosen` (the save dialog's
// filter; SIG where nothing was chosen).
[[nodiscard]] signal_format format_for_writing(std::string_view path,
                                               signal_format chosen = signal_format::sig);

// The name and format a save from the save dialog uses: the format follows format_for_writing,
// and a name without an extension gets that format's (".sig", ".bit" or ".pcap"), so that a
// file's name and contents always agree.
struct save_name {
  std::string path;
  signal_format format = signal_format::sig;
};
[[nodiscard]] save_name resolve_save_name(const std::string& typed, signal_format chosen);
