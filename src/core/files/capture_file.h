#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/files/sig_file.h"

// Capture files of packet analysers and capture tools.
//
// Reading takes pcap (either byte order, micro- or nanosecond stamps, the older 2.0 to 2.3
// layouts and the variant with longer records) and pcapng (any number of sections, each in its
// own byte order, with any number of interfaces of their own link types). Every frame becomes one
// packet of all the bytes its record holds, whatever snapshot length the header states, in file
// order. The reader is the program's own, bounded by the image it is given: libpcap refuses pcapng
// files whose interfaces or sections differ in link type or byte order, and it cuts a pcap frame
// longer than the header's snapshot length without a word. Time stamps are not read.
//
// Writing produces pcap through libpcap, with the link type the packets were read with.

// The longest frame libpcap reads back; longer packets cannot be saved as a capture.
inline constexpr uint32_t capture_max_packet_bytes = 262144;

// Whether the image starts with a whole, valid pcap file header or pcapng section header.
[[nodiscard]] bool is_capture_header(std::span<const uint8_t> image);

// Reads a capture image one frame per call. The image must stay valid and unchanged while the
// reader is used.
class capture_reader {
 public:
  enum class frame { packet, end, damaged };

  // False, with fault(), when the image does not start with a whole, valid pcap or pcapng header.
  [[nodiscard]] bool open(std::span<const uint8_t> image);
  // The next frame's captured bytes in `bytes` (a part of the image). `damaged`, with fault(),
  // when the file breaks off or a record or block cannot be read; reading ends there.
  [[nodiscard]] frame next(std::span<const uint8_t>& bytes);
  // The link type of the frame next() returned last; for pcap, the file's from open() on.
  [[nodiscard]] uint32_t link_type() const { return link_type_; }
  [[nodiscard]] bool is_pcapng() const { return pcapng_; }
  // Bytes of the image consumed so far.
  [[nodiscard]] uint64_t consumed() const { return position_; }
  [[nodiscard]] read_fault fault() const { return fault_; }

 private:
  [[nodiscard]] uint16_t u16(size_t at) const;
  [[nodiscard]] uint32_t u32(size_t at) const;
  [[nodiscard]] bool open_pcap(uint32_t magic);
  [[nodiscard]] read_fault read_section();
  [[nodiscard]] read_fault check_block(uint32_t minimum, uint32_t& total) const;
  [[nodiscard]] frame next_pcap(std::span<const uint8_t>& bytes);
  [[nodiscard]] frame next_pcapng(std::span<const uint8_t>& bytes);
  frame damaged(read_fault fault) {
    fault_ = fault;
    return frame::damaged;
  }

  // How a pcap record states its two lengths: 2.0 to 2.2 wrote them the other way round, and
  // some 2.3 writers did too.
  enum class lengths { in_order, swapped, swapped_when_reversed };

  std::span<const uint8_t> image_;
  size_t position_ = 0;
  bool pcapng_ = false;
  bool big_endian_ = false;  // of the file, or of the current pcapng section
  uint32_t record_header_ = 16;
  lengths lengths_ = lengths::in_order;
  std::vector<uint32_t> interfaces_;  // link types of the current section's interfaces
  uint32_t link_type_ = 0;
  read_fault fault_ = read_fault::none;
};

// Appends one packet per frame of the capture `image` under k0, k0 + 1, ... with the hooks and
// result of read_sig_image, and records the frames' link types in the store. A header that is no
// capture's or damage after some frames makes the result a failure with its fault; the packets
// read before stay.
[[nodiscard]] sig_read_result read_capture_image(std::span<const uint8_t> image, PAKETS& store,
                                                 uint32_t k0, const sig_read_hooks& hooks = {});

// The link type a pcap save of the store writes: the one its packets were read with, 104 when it
// records none; nothing when they were read with several, which one pcap file cannot hold.
[[nodiscard]] std::optional<uint32_t> capture_link_type(const PAKETS& store);

// Link types by their libpcap names ("EN10MB", "C_HDLC"), or their numbers where libpcap has no
// name, separated by ", ".
[[nodiscard]] std::string link_type_names(const std::vector<uint32_t>& types);

// Writes the store to `path` as pcap with capture_link_type: packet k at k microseconds after the
// epoch, every stored byte of it (a last byte only partly used by the bit length included).
// `keep_going` is asked before every packet and `step` called after it. A cancelled or failed
// write leaves a partial file for the caller to remove; a store of several link types, or one
// libpcap cannot write, fails before anything is written.
enum class capture_write { written, cancelled, failed };
[[nodiscard]] capture_write write_capture_file(const std::string& path, const PAKETS& store,
                                               const std::function<bool()>& keep_going,
                                               const std::function<void()>& step);
