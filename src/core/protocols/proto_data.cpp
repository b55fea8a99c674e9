#include "core/protocols/proto_data.h"

xproto_unknown::xproto_unknown() {
  set_identity(0, "неизвестный протокол");
}

std::unique_ptr<xprotocol> xproto_unknown::parse(const xprotocol&) {
  return nullptr;
}

xproto_xtp::xproto_xtp() {
  set_identity(0, "XTP - Xpress transport protocol");
}

std::unique_ptr<xprotocol> xproto_xtp::parse(const xprotocol&) {
  return nullptr;
}
