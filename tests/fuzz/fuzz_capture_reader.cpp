// The capture reader on any bytes: frames that lie inside the image, a refusal that names its
// reason, and packets that a pcap save and a load give back unchanged, link type included.
// Input: the image of a pcap or pcapng file.
#include <pcap/pcap.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/capture_file.h"
#include "core/files/signal_io.h"
#include "fuzz/file_support.h"

namespace {

namespace fs = std::filesystem;

// Whether libpcap knows the link type by a name: those it writes. (A type it has no name for, a
// number no capture tool assigns, libpcap may refuse to write.)
bool libpcap_names(uint32_t link_type) {
  return pcap_datalink_val_to_name(static_cast<int>(link_type)) != nullptr;
}

// The link layer libpcap reads a pcap file of `link_type` as (its DLT_ number; -1 when it refuses
// the file). libpcap writes some old numbers of a link layer as its present one (12 as 101, raw
// IP): a save keeps the link layer, and analysers decode the frames as before.
int libpcap_layer(uint32_t link_type) {
  uint8_t header[24] = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 4, 0};
  header[16] = 0xFF;
  for (int i = 0; i < 4; ++i) header[20 + i] = static_cast<uint8_t>(link_type >> (8 * i));
  FILE* file = fmemopen(header, sizeof header, "rb");
  char error[PCAP_ERRBUF_SIZE];
  pcap_t* p = file == nullptr ? nullptr : pcap_fopen_offline(file, error);
  if (p == nullptr) {
    if (file != nullptr) std::fclose(file);
    return -1;
  }
  const int layer = pcap_datalink(p);
  pcap_close(p);
  return layer;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  open_file_folder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> image(data, size);

  // Frame by frame: every frame a part of the image, read in order, the link types recorded.
  std::vector<packet_bytes> frames;
  std::vector<uint32_t> link_types;
  capture_reader reader;
  const bool opened = reader.open(image);
  FUZZ_CHECK(opened == is_capture_header(image));
  read_fault fault = reader.fault();
  // A pcap file has its one link type also without frames; pcapng frames bring their interfaces'.
  if (opened && !reader.is_pcapng()) link_types.push_back(reader.link_type());
  if (opened) {
    std::span<const uint8_t> bytes;
    capture_reader::frame f;
    while ((f = reader.next(bytes)) == capture_reader::frame::packet) {
      FUZZ_CHECK(bytes.empty() ||
                 (bytes.data() >= data && bytes.data() + bytes.size() <= data + size));
      FUZZ_CHECK(reader.consumed() <= size);
      frames.emplace_back(bytes.begin(), bytes.end());
      link_types.push_back(reader.link_type());
    }
    fault = f == capture_reader::frame::damaged ? reader.fault() : read_fault::none;
  }
  FUZZ_CHECK(opened || fault != read_fault::none);

  // The whole image: the same frames, and the reason it stopped.
  PAKETS store;
  const sig_read_result read = read_capture_image(image, store, 0);
  FUZZ_CHECK(read.ok == (fault == read_fault::none));
  FUZZ_CHECK(read.fault == fault);
  FUZZ_CHECK(read.next == store.size());
  FUZZ_CHECK(contents(store) == frames);
  std::sort(link_types.begin(), link_types.end());
  link_types.erase(std::unique(link_types.begin(), link_types.end()), link_types.end());
  FUZZ_CHECK(store.link_types() == link_types);

  // Written as pcap and loaded again: the same packets of the same link layer (104 for none),
  // unless they were read with several, which one pcap file cannot hold, or with one that libpcap
  // does not write; nothing is written then.
  const fs::path pcap = file_folder / "c.pcap";
  const save_result saved = save_signal_file(pcap, store, signal_format::capture);
  if (link_types.size() > 1) {
    FUZZ_CHECK(saved.status == save_status::mixed_link_types);
    FUZZ_CHECK(!fs::exists(pcap));
  } else if (saved.status == save_status::write_failed) {
    FUZZ_CHECK(!link_types.empty() && !libpcap_names(link_types.front()));
    FUZZ_CHECK(!fs::exists(pcap));
  } else {
    FUZZ_CHECK(saved.status == save_status::saved);
    PAKETS again;
    const load_result loaded = load_sig_file(pcap, again);
    FUZZ_CHECK(loaded.ok && loaded.capture);
    FUZZ_CHECK(contents(again) == frames);
    const uint32_t kept = link_types.empty() ? 104 : link_types.front();
    FUZZ_CHECK(again.link_types().size() == 1);
    FUZZ_CHECK(again.link_types().front() == kept ||
               libpcap_layer(again.link_types().front()) == libpcap_layer(kept));
    unload_store(again);
    fs::remove(pcap);
  }
  unload_store(store);
  return 0;
}
