#include "core/protocols/proto_cisco.h"

#include "core/protocols/field_format.h"
#include "core/protocols/proto_data.h"
#include "core/protocols/proto_ip.h"

namespace {

constexpr uint16_t type_ip = 0x0800;
// Address, control and type in front; the frame check sequence behind.
constexpr std::size_t header_bytes = 4;
constexpr std::size_t trailer_bytes = 2;

}  // namespace

xproto_cisco::xproto_cisco() {
  set_identity(11, "CISCO router protocol");
}

std::unique_ptr<xprotocol> xproto_cisco::parse(const xprotocol& previous) {
  const std::span<const uint8_t> d = payload_of(previous);
  data_begin_ = d.data();
  if (!have(d, 1)) return nullptr;
  add_line(d[0] == 0x0F ? "адрес: Unicast" : "адрес: Broadcast");
  if (!have(d, header_bytes)) return nullptr;
  if (read_be16(d, 2) != type_ip) return std::make_unique<xproto_unknown>();
  add_line("IP - DoD Internet Protocol");
  // A frame too short for its check bytes has no payload at all.
  if (!have(d, header_bytes + trailer_bytes)) return nullptr;
  data_begin_ = d.data() + header_bytes;
  data_end_ = d.data() + (d.size() - trailer_bytes);
  return std::make_unique<xproto_ip>();
}
