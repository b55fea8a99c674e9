#include "core/protocols/protocol.h"

std::string xprotocol::line(std::size_t i) const {
  return i < lines_.size() ? lines_[i] : std::string();
}

void xprotocol::set_identity(uint8_t code, std::string_view name) {
  code_ = code;
  name_ = name;
}

std::span<const uint8_t> xprotocol::payload_of(const xprotocol& layer) {
  const uint8_t* begin = layer.data_begin();
  const uint8_t* end = layer.data_end();
  if (begin == nullptr || end == nullptr || end < begin) return {};
  return {begin, static_cast<std::size_t>(end - begin)};
}

bool xtransport_protocol::have(std::span<const uint8_t> data, std::size_t count) {
  if (cut_short()) return false;
  if (data.size() >= count) return true;
  add_line(std::string(text_data_too_short));
  return false;
}
