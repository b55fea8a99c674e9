#include "core/files/file_format.h"

#include <cctype>

#include "core/files/capture_file.h"

namespace {

// The extension of the last name of `path` in lower case, without the dot; empty when the name
// has none.
std::string extension_of(std::string_view path) {
  const std::string_view::size_type slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::string_view::size_type dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  std::string ext(name.substr(dot + 1));
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

std::optional<signal_format> format_of_name(std::string_view path) {
  const std::string ext = extension_of(path);
  if (ext == "sig") return signal_format::sig;
  if (ext == "bit") return signal_format::bit;
  if (ext == "pcap" || ext == "pcapng" || ext == "cap") return signal_format::capture;
  return std::nullopt;
}

signal_format format_for_reading(std::string_view path, std::span<const uint8_t> image) {
  if (const std::optional<signal_format> named = format_of_name(path)) {
    // BIT files have no record boundaries; the SIG reader is all there is for them.
    return *named == signal_format::capture ? signal_format::capture : signal_format::sig;
  }
  return is_capture_header(image) ? signal_format::capture : signal_format::sig;
}

signal_format format_for_writing(std::string_view path, signal_format chosen) {
  return format_of_name(path).value_or(chosen);
}

save_name resolve_save_name(const std::string& typed, signal_format chosen) {
  if (!extension_of(typed).empty()) return {typed, format_for_writing(typed, chosen)};
  std::string path = typed;
  if (!path.empty() && path.back() == '.') path.pop_back();
  const char* suffix = chosen == signal_format::bit       ? ".bit"
                       : chosen == signal_format::capture ? ".pcap"
                                                          : ".sig";
  return {path + suffix, chosen};
}
