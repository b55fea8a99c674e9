#include "core/files/capture_file.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>

#include "core/model/memory_budget.h"

namespace {

// First four bytes of a pcap file, read in its own byte order: micro- and nanosecond stamps, and
// the variant whose records carry 8 more header bytes.
constexpr uint32_t pcap_micro = 0xA1B2C3D4;
constexpr uint32_t pcap_nano = 0xA1B23C4D;
constexpr uint32_t pcap_long_records = 0xA1B2CD34;
constexpr size_t pcap_header_bytes = 24;

// pcapng: the section header's block type (the same in either byte order), the magic that tells
// a section's byte order, and the block types that carry frames or describe interfaces.
constexpr uint32_t section_block = 0x0A0D0D0A;
constexpr uint32_t byte_order_magic = 0x1A2B3C4D;
constexpr uint32_t interface_block = 1;
constexpr uint32_t old_packet_block = 2;
constexpr uint32_t simple_packet_block = 3;
constexpr uint32_t enhanced_packet_block = 6;

// The most bytes a packet can hold: its bit length is a 32-bit number.
constexpr uint32_t longest_packet_bytes = 0xFFFFFFFFu / 8;

uint32_t little32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint32_t swapped32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

bool is_pcap_magic(uint32_t magic) {
  return magic == pcap_micro || magic == pcap_nano || magic == pcap_long_records;
}

// The smallest total length of a pcapng block of `type`: 12 bytes of framing and its fixed
// fields.
uint32_t minimum_block(uint32_t type) {
  switch (type) {
    case section_block:
      return 28;
    case interface_block:
      return 20;
    case simple_packet_block:
      return 16;
    case old_packet_block:
    case enhanced_packet_block:
      return 32;
    default:
      return 12;
  }
}

}  // namespace

bool is_capture_header(std::span<const uint8_t> image) {
  capture_reader reader;
  return reader.open(image);
}

uint16_t capture_reader::u16(size_t at) const {
  const uint8_t* p = image_.data() + at;
  return big_endian_ ? static_cast<uint16_t>(p[0] << 8 | p[1])
                     : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t capture_reader::u32(size_t at) const {
  const uint32_t v = little32(image_.data() + at);
  return big_endian_ ? swapped32(v) : v;
}

bool capture_reader::open(std::span<const uint8_t> image) {
  *this = capture_reader();
  image_ = image;
  if (image.size() < 4) {
    fault_ = read_fault::not_a_capture;
    return false;
  }
  const uint32_t magic = little32(image.data());
  if (magic == section_block) {
    pcapng_ = true;
    fault_ = read_section();
    return fault_ == read_fault::none;
  }
  return open_pcap(magic);
}

bool capture_reader::open_pcap(uint32_t magic) {
  if (!is_pcap_magic(magic)) {
    if (!is_pcap_magic(swapped32(magic))) {
      fault_ = read_fault::not_a_capture;
      return false;
    }
    big_endian_ = true;
    magic = swapped32(magic);
  }
  if (image_.size() < pcap_header_bytes) {
    fault_ = read_fault::cut_short;
    return false;
  }
  const uint16_t major = u16(4);
  const uint16_t minor = u16(6);
  // The versions capture tools have written: 2.0 to 2.4, and 543.0 of one old system.
  if (major == 2 && minor <= 4) {
    lengths_ = minor < 3    ? lengths::swapped
               : minor == 3 ? lengths::swapped_when_reversed
                            : lengths::in_order;
  } else if (major == 543 && minor == 0) {
    lengths_ = lengths::swapped;
  } else {
    fault_ = read_fault::version;
    return false;
  }
  // The upper 16 bits carry the frame check sequence's length, not the link type.
  link_type_ = u32(20) & 0xFFFF;
  record_header_ = magic == pcap_long_records ? 24 : 16;
  position_ = pcap_header_bytes;
  return true;
}

read_fault capture_reader::check_block(uint32_t minimum, uint32_t& total) const {
  const size_t left = image_.size() - position_;
  if (left < 12) return read_fault::cut_short;
  total = u32(position_ + 4);
  if (total < minimum || total % 4 != 0) return read_fault::bad_block;
  if (total > left) return read_fault::cut_short;
  if (u32(position_ + total - 4) != total) return read_fault::bad_block;
  return read_fault::none;
}

read_fault capture_reader::read_section() {
  if (image_.size() - position_ < 12) return read_fault::cut_short;
  // The byte-order magic says in which order this section's numbers are, its length included.
  const uint32_t order = little32(image_.data() + position_ + 8);
  if (order == byte_order_magic) {
    big_endian_ = false;
  } else if (order == swapped32(byte_order_magic)) {
    big_endian_ = true;
  } else {
    return read_fault::bad_block;
  }
  uint32_t total = 0;
  if (const read_fault fault = check_block(minimum_block(section_block), total);
      fault != read_fault::none) {
    return fault;
  }
  if (u16(position_ + 12) != 1) return read_fault::version;
  // Interface numbers count from 0 again in every section.
  interfaces_.clear();
  position_ += total;
  return read_fault::none;
}

capture_reader::frame capture_reader::next(std::span<const uint8_t>& bytes) {
  if (fault_ != read_fault::none) return frame::damaged;
  if (image_.data() == nullptr || position_ == image_.size()) return frame::end;
  return pcapng_ ? next_pcapng(bytes) : next_pcap(bytes);
}

capture_reader::frame capture_reader::next_pcap(std::span<const uint8_t>& bytes) {
  const size_t left = image_.size() - position_;
  if (left < record_header_) return damaged(read_fault::cut_short);
  uint32_t captured = u32(position_ + 8);
  const uint32_t original = u32(position_ + 12);
  if (lengths_ == lengths::swapped ||
      (lengths_ == lengths::swapped_when_reversed && captured > original)) {
    captured = original;
  }
  if (captured > left - record_header_) return damaged(read_fault::cut_short);
  if (captured > longest_packet_bytes) return damaged(read_fault::frame_too_long);
  bytes = image_.subspan(position_ + record_header_, captured);
  position_ += record_header_ + captured;
  return frame::packet;
}

capture_reader::frame capture_reader::next_pcapng(std::span<const uint8_t>& bytes) {
  while (position_ < image_.size()) {
    if (image_.size() - position_ < 8) return damaged(read_fault::cut_short);
    const uint32_t type = u32(position_);
    if (type == section_block) {
      if (const read_fault fault = read_section(); fault != read_fault::none) {
        return damaged(fault);
      }
      continue;
    }
    uint32_t total = 0;
    if (const read_fault fault = check_block(minimum_block(type), total);
        fault != read_fault::none) {
      return damaged(fault);
    }
    const size_t body = position_ + 8;
    const uint32_t room = total - 12;
    uint32_t interface = 0;
    uint32_t captured = 0;
    size_t data = 0;
    switch (type) {
      case interface_block:
        interfaces_.push_back(u16(body));
        position_ += total;
        continue;
      case enhanced_packet_block:
        interface = u32(body);
        captured = u32(body + 12);
        data = body + 20;
        break;
      case old_packet_block:
        interface = u16(body);
        captured = u32(body + 12);
        data = body + 20;
        break;
      case simple_packet_block:
        // The original length; the block holds that many bytes, or fewer when the interface's
        // snapshot length cut the frame.
        captured = std::min(u32(body), room - 4);
        data = body + 4;
        break;
      default:
        // Statistics, name resolution, comments and the like: no frame.
        position_ += total;
        continue;
    }
    if (interface >= interfaces_.size()) return damaged(read_fault::no_interface);
    if (captured > room - (data - body) || captured > longest_packet_bytes) {
      return damaged(read_fault::frame_too_long);
    }
    link_type_ = interfaces_[interface];
    bytes = image_.subspan(data, captured);
    position_ += total;
    return frame::packet;
  }
  return frame::end;
}

sig_read_result read_capture_image(std::span<const uint8_t> image, PAKETS& store, uint32_t k0,
                                   const sig_read_hooks& hooks) {
  sig_read_result result{k0, true};
  capture_reader reader;
  if (k0 != store.size()) {
    result.ok = false;
    return result;
  }
  const auto fail = [&result](read_fault fault) {
    result.ok = false;
    result.fault = fault;
  };
  if (!reader.open(image)) {
    fail(reader.fault());
    return result;
  }
  uint64_t budget = memory_budget();
  uint32_t k = k0;
  try {
    // A pcap file has one link type, also when it holds no frame.
    if (!reader.is_pcapng()) store.add_link_type(reader.link_type());
    std::optional<uint32_t> recorded;
    while (!hooks.keep_going || hooks.keep_going()) {
      std::span<const uint8_t> bytes;
      const capture_reader::frame got = reader.next(bytes);
      if (got == capture_reader::frame::end) break;
      if (got == capture_reader::frame::damaged) {
        fail(reader.fault());
        break;
      }
      if (recorded != reader.link_type()) {
        store.add_link_type(reader.link_type());
        recorded = reader.link_type();
      }
      const auto length = static_cast<uint32_t>(bytes.size());
      if (const read_fault fault = append_read_packet(store, budget, bytes.data(), length, length);
          fault != read_fault::none) {
        fail(fault);
        break;
      }
      ++k;
      hooks.packet_read(k, [&reader] { return reader.consumed(); });
    }
  } catch (const std::bad_alloc&) {
    fail(read_fault::memory);
  }
  result.next = k;
  return result;
}

std::optional<uint32_t> capture_link_type(const PAKETS& store) {
  const std::vector<uint32_t>& types = store.link_types();
  if (types.empty()) return sig_link_type;
  if (types.size() == 1) return types.front();
  return std::nullopt;
}

namespace {

// libpcap speaks of link types in its DLT_ numbers, which for a few types differ from the numbers
// files hold (raw IP is 101 in a file and DLT_RAW, 12, here). Its file reader translates: a pcap
// file header alone, read through libpcap, gives the DLT_ number of a file's link type. -1 when
// libpcap cannot tell.
int libpcap_dlt(uint32_t link_type) {
  std::array<uint8_t, pcap_header_bytes> header = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 4, 0};
  header[16] = 0xFF;  // snapshot length 65535
  header[17] = 0xFF;
  for (int i = 0; i < 4; ++i) header[20 + i] = static_cast<uint8_t>(link_type >> (8 * i));
  std::FILE* file = ::fmemopen(header.data(), header.size(), "rb");
  if (file == nullptr) return -1;
  char error[PCAP_ERRBUF_SIZE] = {};
  pcap_t* reader = pcap_fopen_offline(file, error);
  if (reader == nullptr) {
    std::fclose(file);
    return -1;
  }
  const int dlt = pcap_datalink(reader);
  pcap_close(reader);  // closes the file too
  return dlt;
}

// Owns the handles of a capture being written.
struct capture_writer {
  capture_writer(const capture_writer&) = delete;
  capture_writer& operator=(const capture_writer&) = delete;
  capture_writer(const std::string& path, int dlt)
      : dead(dlt < 0 ? nullptr
                     : pcap_open_dead_with_tstamp_precision(dlt, capture_max_packet_bytes,
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

std::string link_type_names(const std::vector<uint32_t>& types) {
  std::string names;
  for (const uint32_t type : types) {
    if (!names.empty()) names += ", ";
    const int dlt = libpcap_dlt(type);
    const char* name = dlt < 0 ? nullptr : pcap_datalink_val_to_name(dlt);
    names += name != nullptr ? std::string(name) : std::to_string(type);
  }
  return names;
}

capture_write write_capture_file(const std::string& path, const PAKETS& store,
                                 const std::function<bool()>& keep_going,
                                 const std::function<void()>& step) {
  const std::optional<uint32_t> link_type = capture_link_type(store);
  if (!link_type) return capture_write::failed;
  capture_writer out(path, libpcap_dlt(*link_type));
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
