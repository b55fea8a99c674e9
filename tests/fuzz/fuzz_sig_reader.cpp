// The SIG reader and writer: any bytes read as packets, and writing the packets back gives the
// input, followed by the zeros that stood for the bytes a cut-short last record lacked.
#include <sstream>
#include <string>

#include "core/files/sig_file.h"
#include "core/model/memory_budget.h"
#include "fuzz/fuzz_support.h"

// A fixed memory figure: the same input behaves the same on every machine, and no run reads
// /proc/meminfo.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_available_memory_for_testing(uint64_t{1} << 30);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PAKETS store;
  const sig_read_result read = read_sig_image({data, size}, store, 0);
  FUZZ_CHECK(read.ok);
  FUZZ_CHECK(read.next == store.size());

  std::ostringstream out;
  uint64_t records = 0;
  for (const auto& [number, p] : store) {
    FUZZ_CHECK(number == records);
    write_packet(*p, out, true);
    ++records;
  }
  const std::string written = out.str();
  FUZZ_CHECK(written.size() >= size);
  FUZZ_CHECK(std::memcmp(written.data(), data, size) == 0);
  for (size_t i = size; i < written.size(); ++i) FUZZ_CHECK(written[i] == 0);

  // The written image is well formed: it reads back to the same packets and writes back byte for
  // byte.
  PAKETS again;
  const auto* image = reinterpret_cast<const uint8_t*>(written.data());
  FUZZ_CHECK(read_sig_image({image, written.size()}, again, 0).ok);
  FUZZ_CHECK(again.size() == store.size());
  std::ostringstream round;
  for (const auto& [number, p] : again) write_packet(*p, round, true);
  FUZZ_CHECK(round.str() == written);

  unload_store(store);
  unload_store(again);
  return 0;
}
