#include "core/protocols/proto_tcp.h"

#include "core/protocols/field_format.h"
#include "core/protocols/proto_data.h"

namespace {

// The data offset sits in the high four bits of byte 12.
constexpr std::size_t offset_byte = 12;
constexpr std::size_t fixed_header_bytes = 20;

struct flag_text {
  uint8_t mask;
  const char* text;
};

// Display order. The third letter of "ACК" is the Cyrillic К. Bits 0x40 and 0x80 show nothing.
constexpr flag_text flag_texts[] = {
    {0x01, "FIN : нет данных от отправителя"},   {0x02, "SYN : синхронизация номеров очереди"},
    {0x04, "RST : перезагрузка соединения"},     {0x08, "PSH : немедленная выдача"},
    {0x10, "ACК : задействовано подтверждение"}, {0x20, "URG : задействовано срочное указание"},
};

}  // namespace

xproto_tcp::xproto_tcp() {
  set_identity(31, "TCP - transport control");
}

std::unique_ptr<xprotocol> xproto_tcp::parse(const xprotocol& previous) {
  const std::span<const uint8_t> d = payload_of(previous);
  if (!have(d, offset_byte + 1)) return nullptr;
  const std::size_t header_length = (std::size_t{d[offset_byte]} >> 4) * 4;
  if (header_length > d.size()) {
    add_line("Ошибка в длине заголовка");
    return nullptr;
  }
  data_begin_ = d.data() + header_length;
  data_end_ = d.data() + d.size();
  lines_.reserve(15);
  add_line("размер заголовка: " + std::to_string(header_length) + " байт");
  add_fields(d);
  if (cut_short()) return nullptr;
  return std::make_unique<xproto_unknown>();
}

// Lines in display order; each is shown only when its bytes lie inside the data.
void xproto_tcp::add_fields(std::span<const uint8_t> d) {
  if (have(d, 2)) add_line("порт-отправитель: " + std::to_string(read_be16(d, 0)));
  if (have(d, 4)) add_line("порт-получатель: " + std::to_string(read_be16(d, 2)));
  if (have(d, 8)) add_line("номер очереди: " + hex_text(read_be32(d, 4)) + "h");
  if (have(d, 12)) add_line("номер подтверждения: " + hex_text(read_be32(d, 8)) + "h");
  if (have(d, 14)) {
    for (const flag_text& flag : flag_texts) {
      if (d[13] & flag.mask) add_line(flag.text);
    }
  }
  if (have(d, 16)) add_line("окно: " + std::to_string(read_be16(d, 14)));
  if (have(d, 18)) add_line("CRC: " + std::to_string(read_be16(d, 16)));
  if (have(d, fixed_header_bytes))
    add_line("указатель важности: " + std::to_string(read_be16(d, 18)));
}
