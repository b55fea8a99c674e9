#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>

#include "core/files/sig_file.h"

// Capture files of packet analysers and capture tools, read and written through libpcap. Reading
// takes pcap and pcapng of any link type: each captured frame becomes one packet of its captured
// bytes. Writing produces pcap with the link type below, so that an analyser decodes the packets
// as the program's own analyser pane does.

// Link type of written captures: HDLC framing with an address, control and protocol field.
inline constexpr int capture_link_type = 104;
// The longest frame libpcap reads back; longer packets cannot be saved as a capture.
inline constexpr uint32_t capture_max_packet_bytes = 262144;

// Whether the image starts like a pcap (either byte order, micro- or nanosecond) or pcapng file.
[[nodiscard]] bool is_capture_image(std::span<const uint8_t> image);

struct pcap;

// Reads a capture image one frame per call. The image must stay valid and unchanged while the
// reader is open.
class capture_reader {
 public:
  enum class frame { packet, end, damaged };

  capture_reader() = default;
  capture_reader(const capture_reader&) = delete;
  capture_reader& operator=(const capture_reader&) = delete;
  ~capture_reader();

  // False when libpcap does not accept the file header.
  [[nodiscard]] bool open(std::span<const uint8_t> image);
  // The next frame's captured bytes in `bytes`, valid until the next call. `damaged` when the
  // file breaks off inside a frame or a block cannot be read; reading ends there.
  [[nodiscard]] frame next(std::span<const uint8_t>& bytes);
  // Bytes of the image consumed so far.
  [[nodiscard]] uint64_t consumed() const;

 private:
  void close();

  FILE* file_ = nullptr;  // owned by pcap_ once that is open
  struct pcap* pcap_ = nullptr;
};

// Appends one packet per frame of the capture `image` under k0, k0 + 1, ... with the hooks and
// result of read_sig_image. A header libpcap refuses or damage after some frames makes the result
// a failure; the packets read before stay.
[[nodiscard]] sig_read_result read_capture_image(std::span<const uint8_t> image, PAKETS& store,
                                                 uint32_t k0, const sig_read_hooks& hooks = {});

// Writes the store to `path` as pcap: packet k at k microseconds after the epoch, every stored
// byte of it (a last byte only partly used by the bit length included). `keep_going` is asked
// before every packet and `step` called after it. A cancelled or failed write leaves a partial file
// for the caller to remove.
enum class capture_write { written, cancelled, failed };
[[nodiscard]] capture_write write_capture_file(const std::string& path, const PAKETS& store,
                                               const std::function<bool()>& keep_going,
                                               const std::function<void()>& step);
