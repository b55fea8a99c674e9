#include "demodulator/core/pipeline.h"

#include <filesystem>
#include <stdexcept>

#include "demodulator/core/demodulate.h"
#include "demodulator/core/memory_stream.h"
#include "demodulator/core/messages.h"
#include "demodulator/core/output_file.h"
#include "demodulator/core/packetize.h"

namespace tessaly {

namespace {

// Memory of a stream's view as a span.
std::span<const uint8_t> bytes_of(const sysx::memory_stream& s) {
  return {s.data(), s.byte_size()};
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
  bool synced = false;
  try {
    output_images images;
    {
      // The recording is read into memory of our own: a file cut under us cannot fault.
      sysx::memory_stream in;
      in.create_file(recording, sysx::memory_stream::read);
      (void)in.map(0);
      if (signal_size(in.byte_size()) == 0) throw std::runtime_error("recording too short");
      images = process(bytes_of(in));
      in.unmap();
      in.close(0);
    }
    synced = images.synced;
    // Both files are written in full before either replaces an earlier one.
    output_file signal(names.signal);
    output_file packets(names.packets);
    signal.write(images.signal);
    packets.write(images.packets);
    signal.commit();
    packets.commit();
  } catch (const std::exception&) {
    return {outcome::file_error, file_error_text};
  }
  if (!synced) return {outcome::no_sync, no_sync_text};
  return {outcome::done, done_text(names.name)};
}

}  // namespace tessaly
