#include "core/protocols/proto_ip.h"

#include "core/protocols/field_format.h"
#include "core/protocols/proto_data.h"
#include "core/protocols/proto_tcp.h"

namespace {

constexpr uint8_t protocol_tcp = 6;
constexpr uint8_t protocol_xtp = 36;
constexpr std::size_t fixed_header_bytes = 20;

const char* version_name(unsigned version) {
  switch (version) {
    case 4:
      return "IP, internet protocol";
    case 5:
      return "ST, ST datagram mode";
    case 6:
      return "SIP/SIPP, simple IP";
    case 7:
      return "TP/IX, the next internet";
    case 8:
      return "PIP, P-protocol";
    case 9:
      return "TUBA protocol";
    default:
      return "reserved";
  }
}

std::unique_ptr<xprotocol> layer_for(uint8_t protocol) {
  if (protocol == protocol_tcp) return std::make_unique<xproto_tcp>();
  if (protocol == protocol_xtp) return std::make_unique<xproto_xtp>();
  return std::make_unique<xproto_unknown>();
}

}  // namespace

xproto_ip::xproto_ip() {
  set_identity(21, "IP - internet protocol");
}

std::unique_ptr<xprotocol> xproto_ip::parse(const xprotocol& previous) {
  const std::span<const uint8_t> d = payload_of(previous);
  if (!have(d, 1)) return nullptr;
  lines_.reserve(12);
  add_line(std::string("версия: ") + version_name(d[0] >> 4));
  const std::size_t header_length = (std::size_t{d[0]} & 0x0F) * 4;
  if (header_length > d.size()) {
    add_line("ошибка определения размера заголовка");
    return nullptr;
  }
  data_begin_ = d.data() + header_length;
  data_end_ = d.data() + d.size();
  add_fields(d, header_length);
  if (cut_short()) return nullptr;
  return layer_for(d[9]);
}

// Lines in display order; each is shown only when its bytes lie inside the data.
void xproto_ip::add_fields(std::span<const uint8_t> d, std::size_t header_length) {
  add_line("заголовок: " + std::to_string(header_length) + " байт");
  if (have(d, 2)) add_line("тип сервиса: " + std::to_string(d[1]));
  if (have(d, 4)) add_line("дейтаграмма: " + std::to_string(read_be16(d, 2)) + " байт");
  if (have(d, 6)) add_line("идентификатор: " + std::to_string(read_be16(d, 4)));
  if (have(d, 7)) {
    add_line((d[6] & 0x20) ? "есть следующие фрагменты" : "последний фрагмент");
    add_line((d[6] & 0x40) ? "фрагментация запрещена" : "фрагментация разрешена");
  }
  if (have(d, 8)) {
    const unsigned offset = ((d[6] & 0x1Fu) << 8 | d[7]) * 8;
    add_line("смещение: " + std::to_string(offset) + " байт");
  }
  if (have(d, 9)) add_line("время жизни: " + std::to_string(d[8]) + " сек");
  if (have(d, 12)) add_line("CRC: " + std::to_string(read_be16(d, 10)));
  if (have(d, 16)) add_line("отправитель: " + dotted_address(d, 12));
  if (have(d, fixed_header_bytes)) add_line("получатель: " + dotted_address(d, 16));
}
