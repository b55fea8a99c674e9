#include "core/files/capture_file.h"

#include <pcap/pcap.h>
#include <stdio_ext.h>

#include <array>
#include <limits>
#include <new>

namespace {

// First four bytes of the formats libpcap reads: pcap in both byte orders with micro- and
// nanosecond stamps, the old "modified" pcap, and the pcapng section header block (a palindrome).
constexpr std::array<uint32_t, 4> pcap_magics = {0xA1B2C3D4, 0xA1B23C4D, 0xA1B2CD34, 0x0A0D0D0A};

uint32_t swapped(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

}  // namespace

bool is_capture_image(std::span<const uint8_t> image) {
  if (image.size() < 4) return false;
  const uint32_t big = uint32_t{image[0]} << 24 | uint32_t{image[1]} << 16 |
                       uint32_t{image[2]} << 8 | uint32_t{image[3]};
  for (const uint32_t magic : pcap_magics) {
    if (big == magic || big == swapped(magic)) return true;
  }
  return false;
}

capture_reader::~capture_reader() {
  close();
}

void capture_reader::close() {
  if (pcap_ != nullptr) {
    pcap_close(pcap_);  // closes file_ too
  } else if (file_ != nullptr) {
    std::fclose(file_);
  }
  pcap_ = nullptr;
  file_ = nullptr;
}

bool capture_reader::open(std::span<const uint8_t> image) {
  close();
  if (image.empty()) return false;
  // "r" never writes through the pointer.
  file_ = ::fmemopen(const_cast<uint8_t*>(image.data()), image.size(), "rb");
  if (file_ == nullptr) return false;
  // Only this reader uses the stream: stdio's per-call locking would cost more than the copy of
  // a small frame.
  ::__fsetlocking(file_, FSETLOCKING_BYCALLER);
  // A large buffer: the image is copied into it in few, big steps.
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
  char error[PCAP_ERRBUF_SIZE] = {};
  pcap_ = pcap_fopen_offline_with_tstamp_precision(file_, PCAP_TSTAMP_PRECISION_MICRO, error);
  if (pcap_ == nullptr) {
    close();
    return false;
  }
  return true;
}

capture_reader::frame capture_reader::next(std::span<const uint8_t>& bytes) {
  if (pcap_ == nullptr) return frame::end;
  pcap_pkthdr* header = nullptr;
  const u_char* data = nullptr;
  switch (pcap_next_ex(pcap_, &header, &data)) {
    case 1:
      bytes = std::span<const uint8_t>(data, header->caplen);
      return frame::packet;
    case PCAP_ERROR_BREAK:
      return frame::end;
    default:
      return frame::damaged;
  }
}

uint64_t capture_reader::consumed() const {
  if (file_ == nullptr) return 0;
  const long at = std::ftell(file_);
  return at < 0 ? 0 : static_cast<uint64_t>(at);
}

sig_read_result read_capture_image(std::span<const uint8_t> image, PAKETS& store, uint32_t k0,
                                   const sig_read_hooks& hooks) {
  sig_read_result result{k0, true};
  capture_reader reader;
  if (k0 != store.size() || !reader.open(image)) {
    result.ok = false;
    return result;
  }
  uint32_t k = k0;
  while (!hooks.keep_going || hooks.keep_going()) {
    std::span<const uint8_t> bytes;
    const capture_reader::frame got = reader.next(bytes);
    if (got == capture_reader::frame::end) break;
    if (got == capture_reader::frame::damaged || k == std::numeric_limits<uint32_t>::max()) {
      result.ok = false;
      break;
    }
    xpaket* p = nullptr;
    try {
      p = new xpaket(bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(bytes.size()));
      store.append(p);
    } catch (const std::bad_alloc&) {
      delete p;
      result.ok = false;
      break;
    }
    ++k;
    hooks.packet_read(k, [&reader] { return reader.consumed(); });
  }
  result.next = k;
  return result;
}

namespace {

// Owns the handles of a capture being written.
struct capture_writer {
  capture_writer(const capture_writer&) = delete;
  capture_writer& operator=(const capture_writer&) = delete;
  explicit capture_writer(const std::string& path)
      : dead(pcap_open_dead_with_tstamp_precision(capture_link_type, capture_max_packet_bytes,
                                                  PCAP_TSTAMP_PRECISION_MICRO)),
        dumper(dead == nullptr ? nullptr : pcap_dump_open(dead, path.c_str())) {}
  ~capture_writer() {
    if (dumper != nullptr) pcap_dump_close(dumper);
    if (dead != nullptr) pcap_close(dead);
  }
  [[nodiscard]] bool healthy() const {
    return dumper != nullptr && std::ferror(pcap_dump_file(dumper)) == 0;
  }

  pcap_t* dead;
  pcap_dumper_t* dumper;
};

// Handed to libpcap for an empty packet, which has no buffer.
constexpr u_char no_bytes = 0;

}  // namespace

capture_write write_capture_file(const std::string& path, const PAKETS& store,
                                 const std::function<bool()>& keep_going,
                                 const std::function<void()>& step) {
  capture_writer out(path);
  if (!out.healthy()) return capture_write::failed;
  uint32_t number = 0;
  for (const auto& entry : store) {
    const xpaket* p = entry.second;
    if (keep_going && !keep_going()) return capture_write::cancelled;
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<time_t>(number / 1000000);
    header.ts.tv_usec = static_cast<suseconds_t>(number % 1000000);
    header.caplen = p->byte_length();
    header.len = p->byte_length();
    pcap_dump(reinterpret_cast<u_char*>(out.dumper), &header,
              p->bytes() != nullptr ? p->bytes() : &no_bytes);
    if (!out.healthy()) return capture_write::failed;
    if (step) step();
    ++number;
  }
  if (pcap_dump_flush(out.dumper) != 0 || !out.healthy()) return capture_write::failed;
  return capture_write::written;
}
