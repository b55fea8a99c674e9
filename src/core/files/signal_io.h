#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/files/sig_file.h"

// Whole-file load and save of a signal, shared by the file window and pelorin-cli.

class xin_stream;

struct load_result {
  int open_result = 0;   // of xin_stream::open: 0, 2 cannot be opened, 3 cannot be read
  bool ok = false;       // the file was opened and every record became a packet
  uint32_t next = 0;     // the number the next packet would get
  bool capture = false;  // the file was a capture (pcap, pcapng) rather than SIG
};

// Reads a SIG or a capture image, as its first bytes say, with read_sig_image's contract.
[[nodiscard]] sig_read_result read_signal_image(std::span<const uint8_t> image, PAKETS& store,
                                                uint32_t k0, const sig_read_hooks& hooks = {});

// The whole content of an open stream (empty when it is not open).
[[nodiscard]] std::span<const uint8_t> stream_image(const xin_stream& in);

// Appends the records (or captured frames) of an open stream, from its first byte, to the store
// from number store.size() on. A stream cut short while it was read counts as a format error
// after the packets it did hold.
[[nodiscard]] sig_read_result read_sig_stream(const xin_stream& in, PAKETS& store,
                                              const sig_read_hooks& hooks = {});

// Reads `path` and appends its records (or captured frames) to the store from number
// store.size() on.
[[nodiscard]] load_result load_sig_file(const std::string& path, PAKETS& store,
                                        const sig_read_hooks& hooks = {});

enum class signal_format {
  sig,     // SIG records
  bit,     // the bare packet bytes
  capture  // pcap
};

// The format a target's name asks for: *.bit BIT, *.pcap a capture, anything else SIG.
[[nodiscard]] signal_format format_for_target(const std::string& path);

// Whether `path` names a regular file of 0 bytes: an empty signal.
[[nodiscard]] bool is_empty_signal_file(const std::string& path);

// The name and format a save uses. The format comes from the save dialog's filter; a name
// without an extension gets that format's (".sig", ".bit" or ".pcap"), and a typed ".sig",
// ".bit" or ".pcap" (any case) picks that format instead, so that a file's name and contents
// always agree.
struct save_name {
  std::string path;
  signal_format format = signal_format::sig;
};
[[nodiscard]] save_name resolve_save_name(const std::string& typed, signal_format chosen);

enum class save_status {
  saved,
  cancelled,       // keep_going said no; the target is untouched
  write_failed,    // the file could not be created or written; the target is untouched
  packet_too_long  // a packet is too long for the format; nothing was written
};

struct save_result {
  save_status status = save_status::saved;
  uint32_t packet = 0;  // with packet_too_long: the first such packet's number
};

struct save_hooks {
  // Asked before every packet.
  std::function<bool()> keep_going;
  // Called after every packet written.
  std::function<void()> step;
};

// Whether a save to `path` can start: the folder accepts new files, and an existing target is a
// regular file this user may write (the user's read-only mark is honoured, although the rename
// would pass over it) that no other program holds locked. A FIFO, a device or a folder is never
// a target. A symbolic link stands for the file it leads to.
[[nodiscard]] bool can_write_target(const std::string& path);

// The longest packet, in bytes, that the format can hold.
[[nodiscard]] uint32_t max_packet_bytes(signal_format format);
// The first packet (by number) longer than that, if any.
[[nodiscard]] std::optional<uint32_t> first_packet_too_long(const PAKETS& store,
                                                            signal_format format);

// Writes the store in `format` into a temporary file beside the target and renames it over the
// target only when every packet was written, so a cancelled or failed save leaves the old file as
// it was. A target that can_write_target refuses is write_failed before anything is written; the
// old file stays locked until it is replaced. A symbolic link stays: its target is saved. Where no
// temporary file can be made (a read-only folder holding a writable file), the target is written
// in place; then a cancel or failure leaves it cut short.
// An exception from a hook or std::bad_alloc passes through, with the temporary file removed.
[[nodiscard]] save_result save_signal_file(const std::string& path, const PAKETS& store,
                                           signal_format format, const save_hooks& hooks = {});
// As SIG (with_length) or BIT.
[[nodiscard]] save_result save_signal_file(const std::string& path, const PAKETS& store,
                                           bool with_length, const save_hooks& hooks = {});
