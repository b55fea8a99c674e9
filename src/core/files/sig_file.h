#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>

#include "core/model/pakets.h"

// SIG records: a 16-bit little-endian byte count L, then L bytes. No header, no trailer. A file
// may end inside its last record; the missing bytes read as 0.
inline constexpr uint32_t sig_max_packet_bytes = 0xFFFF;
// The link type packets from SIG files count as read with: HDLC framing with an address, control
// and protocol field, as the analyser pane decodes them.
inline constexpr uint32_t sig_link_type = 104;

struct sig_read_hooks {
  // The next number at which first_screen is called, and the stride of progress.
  static constexpr uint32_t first_screen_at = 70;
  static constexpr uint32_t progress_stride = 1000;

  // Asked before every record; reading stops when it returns false.
  std::function<bool()> keep_going;
  // Called once, when the next number has just become first_screen_at.
  std::function<void()> first_screen;
  // Called with the bytes consumed so far whenever the next number is a multiple of
  // progress_stride.
  std::function<void(uint64_t)> progress;

  // What a reader calls after each packet it appended: `next` is the number the next packet would
  // get, `consumed()` the bytes of the image read so far (asked only when progress is due).
  template <typename Consumed>
  void packet_read(uint32_t next, Consumed consumed) const {
    if (next == first_screen_at && first_screen) first_screen();
    if (next % progress_stride == 0 && progress) progress(consumed());
  }
};

// Why reading stopped before the end of a file.
enum class read_fault : uint8_t {
  none,
  memory,      // the next packet would take more memory than is available
  unreadable,  // the file could not be read whole (cut while it was read, or too large)
  too_many,    // the store holds as many packets as it can number
  // Captures only.
  not_a_capture,   // the file starts with no pcap or pcapng header
  version,         // a pcap or pcapng version this reader does not know
  cut_short,       // the file ends inside its header, a record or a block
  bad_block,       // a pcapng block's length is below its minimum, not a multiple of 4 or
                   // differs at its two ends, or a section has an unknown byte order
  frame_too_long,  // a frame is longer than its block holds, or than a packet can be
  no_interface,    // a packet names an interface its section does not describe
};

struct sig_read_result {
  uint32_t next = 0;  // the number the next packet would get
  bool ok = true;     // false: reading stopped at `fault`; the packets before it stay
  read_fault fault = read_fault::none;
};

// Appends one packet per record of `image` under k0, k0 + 1, ... . k0 must equal store.size()
// (0 for a load into an emptied store, the size for a merge); otherwise nothing is read and the
// result is a failure. A packet that would take the store past the memory available
// (available_memory(), less a reserve) is not made: reading stops there as a memory fault.
// Every packet read counts as read with link type 104 (sig_link_type).
[[nodiscard]] sig_read_result read_sig_image(std::span<const uint8_t> image, PAKETS& store,
                                             uint32_t k0, const sig_read_hooks& hooks = {});

// Appends a packet of `length` bytes, the first `available` of them from `bytes` and the rest 0,
// when the store can number it and its cost fits `budget` (which it then lowers): the fault that
// stops reading otherwise. The step of every reader.
[[nodiscard]] read_fault append_read_packet(PAKETS& store, uint64_t& budget, const uint8_t* bytes,
                                            uint32_t available, uint32_t length);

// The first packet (by number) that a SIG record cannot hold, if any.
[[nodiscard]] std::optional<uint32_t> first_oversize_packet(const PAKETS& store);

// One packet as a SIG record (with_length) or as its bare bytes (BIT).
void write_packet(const xpaket& p, std::ostream& out, bool with_length);
