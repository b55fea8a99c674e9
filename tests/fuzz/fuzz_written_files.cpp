// Written files read back the same: any packets (0 to 70000 bytes, some beginning with the magic
// numbers of captures) saved as SIG, BIT and pcap, then loaded the way the program and pelorin-cli
// load a file, once under the name of the format and once under a name that says nothing, so that
// the content decides. SIG and pcap give the same packets; BIT, which keeps no lengths, gives what
// the SIG length rule makes of its bytes; a format that cannot hold a packet refuses the save and
// writes nothing. Input: packets (see take_packets).
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/capture_file.h"
#include "core/files/signal_io.h"
#include "fuzz/file_support.h"

namespace {

namespace fs = std::filesystem;

// What the files begin with when they are captures: pcap in both byte orders with micro- and
// nanosecond stamps and with the longer record headers, and the pcapng section header.
constexpr uint8_t capture_magics[][4] = {{0xD4, 0xC3, 0xB2, 0xA1}, {0xA1, 0xB2, 0xC3, 0xD4},
                                         {0x4D, 0x3C, 0xB2, 0xA1}, {0xA1, 0xB2, 0x3C, 0x4D},
                                         {0x34, 0xCD, 0xB2, 0xA1}, {0xA1, 0xB2, 0xCD, 0x34},
                                         {0x0A, 0x0D, 0x0D, 0x0A}};

// Takes packets off the input until it ends. A header byte: bits 0-5 the byte count (63: a long
// packet, a 32-bit count taken modulo 70001 and a fill byte follow, its first 32 bytes still from
// the input), bit 6 a bit length short of whole bytes, bit 7 a capture magic number first (chosen
// by the next byte). The long packets of one input hold half a MB in all.
void take_packets(fuzz_input& in, PAKETS& store) {
  size_t room = size_t{1} << 19;
  while (in.size() > 0) {
    const auto header = in.take<uint8_t>();
    packet_bytes bytes;
    if ((header & 0x3F) == 0x3F) {
      const size_t count = std::min<size_t>(in.take<uint32_t>() % 70001, room);
      room -= count;
      bytes.assign(count, in.take<uint8_t>());
      const size_t own = std::min({count, size_t{32}, in.size()});
      std::copy_n(in.data(), own, bytes.begin());
      in.skip(own);
    } else {
      bytes.assign(in.data(), in.data() + std::min<size_t>(header & 0x3F, in.size()));
      in.skip(bytes.size());
    }
    if ((header & 0x80) != 0) {
      const auto& magic = capture_magics[in.take<uint8_t>() % std::size(capture_magics)];
      std::copy_n(magic, std::min<size_t>(4, bytes.size()), bytes.begin());
    }
    auto* p = new xpaket(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if ((header & 0x40) != 0 && !bytes.empty()) {
      p->resize(static_cast<uint32_t>(8 * bytes.size() - 1 - bytes[0] % 7));
    }
    store.append(p);
  }
}

// SIG records, each a 16-bit little-endian byte count and the bytes, those a file lacks at its
// end read as 0.
std::vector<packet_bytes> sig_records(const packet_bytes& image) {
  std::vector<packet_bytes> records;
  for (size_t at = 0; at < image.size();) {
    size_t length = image[at++];
    if (at < image.size()) length |= size_t{image[at++]} << 8;
    packet_bytes record(length, 0);
    const size_t available = std::min(length, image.size() - at);
    std::copy_n(image.begin() + static_cast<ptrdiff_t>(at), available, record.begin());
    at += available;
    records.push_back(std::move(record));
  }
  return records;
}

packet_bytes file_bytes(const fs::path& path) {
  packet_bytes bytes(fs::file_size(path));
  FILE* f = std::fopen(path.c_str(), "rb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size());
  std::fclose(f);
  return bytes;
}

// Loads `path` as the program does: every packet whole bytes, unmarked, and the packets expected.
void expect_load(const fs::path& path, bool capture, const std::vector<packet_bytes>& expected) {
  PAKETS store;
  const load_result loaded = load_sig_file(path, store);
  FUZZ_CHECK(loaded.open_result == 0);
  FUZZ_CHECK(loaded.capture == capture);
  FUZZ_CHECK(loaded.ok);
  FUZZ_CHECK(loaded.next == expected.size());
  FUZZ_CHECK(contents(store) == expected);
  for (const auto& [number, p] : store) {
    FUZZ_CHECK(p->bit_length() == 8 * p->byte_length());
    FUZZ_CHECK(p->colour == colour_white);
  }
  if (capture && !expected.empty()) FUZZ_CHECK(store.link_types() == std::vector<uint32_t>{104});
  unload_store(store);
}

// Whether the image begins like a capture: the only case in which a name that says nothing lets
// its content make it one.
bool starts_with_magic(const packet_bytes& image) {
  return std::any_of(std::begin(capture_magics), std::end(capture_magics), [&](const auto& m) {
    return image.size() >= 4 && std::equal(m, m + 4, image.begin());
  });
}

// Loads the file under a name without a format's extension: what its name gave, unless its
// content starts with a whole capture header; then it is read as a capture, cleanly.
void expect_load_by_content(const fs::path& written, const std::vector<packet_bytes>& expected,
                            bool capture) {
  const fs::path neutral = file_folder / "written";
  fs::rename(written, neutral);
  const packet_bytes image = file_bytes(neutral);
  if (capture || !is_capture_header(image)) {
    expect_load(neutral, capture, expected);
    return;
  }
  FUZZ_CHECK(starts_with_magic(image));
  PAKETS store;
  const load_result loaded = load_sig_file(neutral, store);
  FUZZ_CHECK(loaded.capture);
  FUZZ_CHECK(loaded.ok == (loaded.fault == read_fault::none));
  FUZZ_CHECK(loaded.next == store.size());
  unload_store(store);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  open_file_folder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  PAKETS store;
  take_packets(in, store);
  const std::vector<packet_bytes> packets = contents(store);

  // SIG: the same packets, or nothing written when one is longer than a record can say.
  const fs::path sig = file_folder / "w.sig";
  const save_result sig_saved = save_signal_file(sig, store, signal_format::sig);
  const auto too_long = std::find_if(packets.begin(), packets.end(),
                                     [](const packet_bytes& b) { return b.size() > 0xFFFF; });
  if (too_long != packets.end()) {
    FUZZ_CHECK(sig_saved.status == save_status::packet_too_long);
    FUZZ_CHECK(sig_saved.packet == too_long - packets.begin());
    FUZZ_CHECK(!fs::exists(sig));
  } else {
    FUZZ_CHECK(sig_saved.status == save_status::saved);
    expect_load(sig, false, packets);
    expect_load_by_content(sig, packets, false);
  }

  // BIT: the bytes one after the other, which a load reads by the SIG length rule.
  const fs::path bit = file_folder / "w.bit";
  FUZZ_CHECK(save_signal_file(bit, store, signal_format::bit).status == save_status::saved);
  packet_bytes all;
  for (const packet_bytes& b : packets) all.insert(all.end(), b.begin(), b.end());
  FUZZ_CHECK(file_bytes(bit) == all);
  const std::vector<packet_bytes> records = sig_records(all);
  expect_load(bit, false, records);
  expect_load_by_content(bit, records, false);

  // pcap: the same packets, by name and by content alike.
  const fs::path pcap = file_folder / "w.pcap";
  FUZZ_CHECK(save_signal_file(pcap, store, signal_format::capture).status == save_status::saved);
  expect_load(pcap, true, packets);
  expect_load_by_content(pcap, packets, true);

  fs::remove(file_folder / "written");
  unload_store(store);
  return 0;
}
