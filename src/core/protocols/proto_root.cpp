#include "core/protocols/proto_root.h"

#include "core/protocols/proto_cisco.h"
#include "core/protocols/proto_data.h"

xproto_root::xproto_root() {
  set_identity(1, "root");
}

std::unique_ptr<xprotocol> xproto_root::start(const uint8_t* begin, const uint8_t* end) {
  if (begin != end && (*begin == 0x0F || *begin == 0x8F)) {
    data_begin_ = begin;
    data_end_ = end;
    return std::make_unique<xproto_cisco>();
  }
  return std::make_unique<xproto_unknown>();
}

std::unique_ptr<xprotocol> xproto_root::parse(const xprotocol&) {
  return nullptr;
}

void decode_layers(const uint8_t* begin, const uint8_t* end, std::vector<xprotocol*>& layers) {
  auto root = std::make_unique<xproto_root>();
  std::unique_ptr<xprotocol> next = root->start(begin, end);
  layers.push_back(root.get());
  root.release();
  while (next) {
    xprotocol* layer = next.get();
    const xprotocol* previous = layers.back();
    layers.push_back(layer);
    next.release();
    next = layer->parse(*previous);
  }
}
