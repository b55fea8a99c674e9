#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/files/file_format.h"
#include "core/files/sig_file.h"

// Whole-file load and save of a signal, shared by the file window and pelorin-cli.

class xin_stream;

struct load_result {
  int open_result = 0;   // of xin_stream::open: 0, 2 cannot be opened, 3 cannot be read
  bool ok = false;       // the file was opened and every record became a packet
  uint32_t next = 0;     // the number the next packet would get
  bool capture = false;  // the file was read as a capture (pcap, pcapng) rather than SIG
  read_fault fault = read_fault::none;  // why reading stopped, when not ok
};

// Reads a SIG or a capture image, with read_sig_image's contract.
[[nodiscard]] sig_read_result read_signal_image(std::span<const uint8_t> image,
                                                signal_format format, PAKETS& store, uint32_t k0,
                                                const sig_read_hooks& hooks = {});

// Opens `path` to read a signal from: xin_stream::open's result, except that a regular file of 0
// bytes, which no stream holds, gives 0 with the stream closed: an empty signal.
[[nodiscard]] int open_signal_stream(xin_stream& in, const std::string& path);

// The whole content of an open stream (empty when it is not open).
[[nodiscard]] std::span<const uint8_t> stream_image(const xin_stream& in);

// Appends the records (or captured frames) of a stream opened by open_signal_stream, from its
// first byte, to the store from number store.size() on; a closed stream (an empty file) adds
// nothing. A stream cut short while it was read counts as unreadable after the packets it did
// hold.
[[nodiscard]] sig_read_result read_sig_stream(const xin_stream& in, signal_format format,
                                              PAKETS& store, const sig_read_hooks& hooks = {});

// Reads `path`, in the format format_for_reading gives it, and appends its records (or captured
// frames) to the store from number store.size() on. A file of 0 bytes is an empty signal.
[[nodiscard]] load_result load_sig_file(const std::string& path, PAKETS& store,
                                        const sig_read_hooks& hooks = {});

// Whether `path` names a regular file of 0 bytes: an empty signal.
[[nodiscard]] bool is_empty_signal_file(const std::string& path);

enum class save_status {
  saved,
  cancelled,        // keep_going said no; the target is untouched
  write_failed,     // the file could not be created or written; the target is untouched
  packet_too_long,  // a packet is too long for the format; nothing was written
  mixed_link_types  // a capture of packets read with several link types; nothing was written
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
