// The bit search and the periodic sync search on any memory agree with the plain search. Input:
// pattern length and bits, period, start, then the memory (copied to a block of exactly its
// size, so that any read past its end is caught).
#include <memory>
#include <string>

#include "demodulator/core/find.h"
#include "demodulator/reference.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const unsigned n = 1 + in.take<uint8_t>() % 32;
  const auto bits = in.take<uint32_t>();
  const uint64_t period = 1 + in.take<uint16_t>() % 512;
  const auto from_seed = in.take<uint16_t>();
  if (in.size() == 0) return 0;
  std::string text;
  for (unsigned i = 0; i < n; ++i) text += ((bits >> i) & 1) != 0 ? '1' : '0';
  const sysx::bitset pattern(text);
  const reference::bytes memory(in.data(), in.data() + in.size());
  const std::unique_ptr<uint8_t[]> copy(new uint8_t[memory.size()]);
  std::memcpy(copy.get(), memory.data(), memory.size());

  const uint64_t from = from_seed % (memory.size() * 8);
  const sysx::bit_iterator origin(copy.get(), 0);
  const sysx::bit_iterator first(copy.get() + from / 8, from % 8);
  const sysx::bit_iterator last(copy.get() + memory.size() - 1, 7);
  const auto found = static_cast<uint64_t>(sysx::find(first, last, pattern) - origin);
  FUZZ_CHECK(found == reference::find(memory, from, pattern));
  const auto periodic = static_cast<uint64_t>(sysx::find(first, last, pattern, period) - origin);
  FUZZ_CHECK(periodic == reference::find_periodic(memory, from, pattern, period));
  FUZZ_CHECK(std::memcmp(copy.get(), memory.data(), memory.size()) == 0);  // read only
  return 0;
}
