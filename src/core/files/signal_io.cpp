#include "core/files/signal_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <limits>
#include <vector>

#include "core/files/capture_file.h"
#include "core/model/stream.h"

sig_read_result read_signal_image(std::span<const uint8_t> image, PAKETS& store, uint32_t k0,
                                  const sig_read_hooks& hooks) {
  return is_capture_image(image) ? read_capture_image(image, store, k0, hooks)
                                 : read_sig_image(image, store, k0, hooks);
}

load_result load_sig_file(const std::string& path, PAKETS& store, const sig_read_hooks& hooks) {
  load_result result;
  result.next = static_cast<uint32_t>(store.size());
  xin_stream in;
  result.open_result = in.open(path);
  if (result.open_result != 0) return result;
  const std::span<const uint8_t> image(in.current(), static_cast<size_t>(in.end() - in.current()));
  result.capture = is_capture_image(image);
  const sig_read_result read = read_signal_image(image, store, result.next, hooks);
  result.ok = read.ok;
  result.next = read.next;
  return result;
}

namespace {

// Permissions for a new file: the old target's when there is one, else the usual 0666 - umask.
mode_t mode_for(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool sync_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace

bool can_write_target(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  const std::string folder = slash == std::string::npos
                                 ? std::string(".")
                                 : (slash == 0 ? std::string("/") : path.substr(0, slash));
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) == 0;
}

signal_format format_for_target(const std::string& path) {
  if (path.ends_with(".bit")) return signal_format::bit;
  if (path.ends_with(".pcap")) return signal_format::capture;
  return signal_format::sig;
}

uint32_t max_packet_bytes(signal_format format) {
  switch (format) {
    case signal_format::sig:
      return sig_max_packet_bytes;
    case signal_format::capture:
      return capture_max_packet_bytes;
    case signal_format::bit:
      break;
  }
  return std::numeric_limits<uint32_t>::max();
}

std::optional<uint32_t> first_packet_too_long(const PAKETS& store, signal_format format) {
  if (format == signal_format::bit) return std::nullopt;
  const uint32_t limit = max_packet_bytes(format);
  uint32_t number = 0;
  for (const auto& entry : store) {
    if (entry.second->size(true) > limit) return number;
    ++number;
  }
  return std::nullopt;
}

namespace {

// The packets in `format` into the file `temp`, which exists.
save_status write_store(const std::string& temp, const PAKETS& store, signal_format format,
                        const save_hooks& hooks) {
  if (format == signal_format::capture) {
    switch (write_capture_file(temp, store, hooks.keep_going, hooks.step)) {
      case capture_write::written:
        return save_status::saved;
      case capture_write::cancelled:
        return save_status::cancelled;
      case capture_write::failed:
        break;
    }
    return save_status::write_failed;
  }
  const bool with_length = format == signal_format::sig;
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  if (!out) return save_status::write_failed;
  for (const auto& entry : store) {
    if (hooks.keep_going && !hooks.keep_going()) return save_status::cancelled;
    write_packet(*entry.second, out, with_length);
    if (!out) return save_status::write_failed;
    if (hooks.step) hooks.step();
  }
  out.close();
  return out.fail() ? save_status::write_failed : save_status::saved;
}

}  // namespace

save_result save_signal_file(const std::string& path, const PAKETS& store, bool with_length,
                             const save_hooks& hooks) {
  return save_signal_file(path, store, with_length ? signal_format::sig : signal_format::bit,
                          hooks);
}

save_result save_signal_file(const std::string& path, const PAKETS& store, signal_format format,
                             const save_hooks& hooks) {
  if (const auto too_long = first_packet_too_long(store, format)) {
    return {save_status::packet_too_long, *too_long};
  }
  std::vector<char> name(path.begin(), path.end());
  const std::string suffix = ".XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {save_status::write_failed, 0};
  ::close(fd);
  const std::string temp(name.data());
  auto fail = [&temp](save_status status) {
    ::unlink(temp.c_str());
    return save_result{status, 0};
  };

  // An exception (out of memory, or from a hook) must not leave the temporary file behind.
  try {
    if (const save_status written = write_store(temp, store, format, hooks);
        written != save_status::saved) {
      return fail(written);
    }
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  if (::chmod(temp.c_str(), mode_for(path)) != 0 || !sync_file(temp) ||
      std::rename(temp.c_str(), path.c_str()) != 0) {
    return fail(save_status::write_failed);
  }
  return {save_status::saved, 0};
}
