// The protocol decoders on a packet's bytes in a heap block of exactly their size, so that any
// read past the end is caught. Every layer's payload lies inside the one before it.
#include <memory>
#include <vector>

#include "core/protocols/proto_root.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::unique_ptr<uint8_t[]> copy(new uint8_t[size]);
  if (size > 0) std::memcpy(copy.get(), data, size);
  const uint8_t* begin = copy.get();
  const uint8_t* end = begin + size;

  std::vector<xprotocol*> layers;
  decode_layers(begin, end, layers);
  FUZZ_CHECK(!layers.empty());
  const uint8_t* outer_begin = begin;
  const uint8_t* outer_end = end;
  for (const xprotocol* layer : layers) {
    const uint8_t* b = layer->data_begin();
    const uint8_t* e = layer->data_end();
    // A range counts once both ends are set (a layer may set its start before it gives up).
    if (b != nullptr && e != nullptr) {
      FUZZ_CHECK(outer_begin <= b && b <= e && e <= outer_end);
      outer_begin = b;
      outer_end = e;
    }
    size_t text = 0;
    for (size_t i = 0; i < layer->line_count(); ++i) text += layer->line(i).size();
    FUZZ_CHECK(layer->line(layer->line_count()).empty());
    (void)text;
    (void)layer->name();
  }
  for (xprotocol* layer : layers) delete layer;
  return 0;
}
