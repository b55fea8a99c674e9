#include "demodulator/core/pipeline.h"

#include <filesystem>
#include <stdexcept>

#include "demodulator/core/demodulate.h"
#include "demodulator/core/memory_stream.h"
#include "demodulator/core/messages.h"
#include "demodulator/core/packetize.h"

namespace tessaly {

namespace {

// Memory of a mapped stream: the view's bytes as a span.
std::span<uint8_t> bytes_of(const sysx::memory_stream& s) {
  return {s.data(), s.byte_size()};
}

// Bytes of a 32-bit file size; larger sizes are refused by the stream itself.
uint32_t mapping_size(uint64_t bytes) {
  if (bytes > UINT32_MAX) throw std::length_error("mapping size above 32 bits");
  return static_cast<uint32_t>(bytes);
}

void demodulation_pass(const std::string& recording, const std::string& signal_name) {
  sysx::memory_stream in;
  in.create_file(recording, sysx::memory_stream::read);
  (void)in.map(0);
  sysx::memory_stream out;
  out.create_file(signal_name, sysx::memory_stream::create);
  (void)out.map(mapping_size(signal_size(in.byte_size())));
  demodulate(bytes_of(in), bytes_of(out));
  in.unmap();
  in.close(0);
  out.unmap();
  out.close(0);
}

bool packet_pass(const std::string& signal_name, const std::string& packets_name) {
  sysx::memory_stream in;
  in.create_file(signal_name, sysx::memory_stream::read);
  (void)in.map(0);
  sysx::memory_stream out;
  out.create_file(packets_name, sysx::memory_stream::create);
  (void)out.map(mapping_size(packet_room(in.byte_size())));
  const packet_result r = packetize(bytes_of(in), bytes_of(out));
  in.unmap();
  in.close(0);
  out.unmap();
  out.close(mapping_size(r.bits / 8));
  return r.synced;
}

}  // namespace

output_images process(std::span<const uint8_t> recording) {
  output_images images;
  images.signal.assign(signal_size(recording.size()), 0);
  demodulate(recording, images.signal);
  images.packets.assign(packet_room(images.signal.size()) + 2, 0);
  const packet_result r = packetize(images.signal, images.packets);
  images.packets.resize(r.bits / 8);
  images.synced = r.synced;
  return images;
}

output_names names_for(const std::string& recording) {
  const std::filesystem::path path(recording);
  const std::string name = path.filename().string();
  const std::filesystem::path folder = path.parent_path();
  return {name, (folder / ("0_" + name)).string(), (folder / ("1_" + name + ".sig")).string()};
}

run_report run_file(const std::string& recording) {
  const output_names names = names_for(recording);
  try {
    demodulation_pass(recording, names.signal);
    if (!packet_pass(names.signal, names.packets)) return {outcome::no_sync, no_sync_text};
  } catch (const std::exception&) {
    return {outcome::file_error, file_error_text};
  }
  return {outcome::done, done_text(names.name)};
}

}  // namespace tessaly
