#include "core/files/signal_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

#include "core/files/capture_file.h"
#include "core/model/stream.h"

sig_read_result read_signal_image(std::span<const uint8_t> image, PAKETS& store, uint32_t k0,
                                  const sig_read_hooks& hooks) {
  return is_capture_image(image) ? read_capture_image(image, store, k0, hooks)
                                 : read_sig_image(image, store, k0, hooks);
}

std::span<const uint8_t> stream_image(const xin_stream& in) {
  if (!in.is_open()) return {};
  return {in.end() - in.file_size(), static_cast<size_t>(in.file_size())};
}

sig_read_result read_sig_stream(const xin_stream& in, PAKETS& store, const sig_read_hooks& hooks) {
  const auto first = static_cast<uint32_t>(store.size());
  if (!in.is_open()) return {first, false};
  sig_read_result read = read_signal_image(stream_image(in), store, first, hooks);
  if (in.truncated()) read.ok = false;
  return read;
}

load_result load_sig_file(const std::string& path, PAKETS& store, const sig_read_hooks& hooks) {
  load_result result;
  result.next = static_cast<uint32_t>(store.size());
  xin_stream in;
  result.open_result = in.open(path);
  if (result.open_result != 0) return result;
  result.capture = is_capture_image(stream_image(in));
  const sig_read_result read = read_sig_stream(in, store, hooks);
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

namespace {

// The file a save to `path` writes: the path itself, or the final target of a symbolic link, so
// that saving to a link replaces the file it names and keeps the link. Nothing for a link that
// leads nowhere.
std::optional<std::string> save_target(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

// Opens an existing regular target and locks it as a load would, so that a file another
// program holds is refused and none can take it during the save. -1 when it is held, is no
// regular file or cannot be opened (O_NONBLOCK: a FIFO never blocks the open).
int lock_target(const std::string& target) {
  const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Whether a resolved target can be written; `existing` tells whether it exists.
bool target_writable(const std::string& target, bool& existing) {
  existing = false;
  const std::string::size_type slash = target.rfind('/');
  const std::string folder = slash == std::string::npos
                                 ? std::string(".")
                                 : (slash == 0 ? std::string("/") : target.substr(0, slash));
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
  struct stat st {};
  if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT;
  existing = true;
  return S_ISREG(st.st_mode) && ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

bool can_write_target(const std::string& path) {
  const std::optional<std::string> target = save_target(path);
  bool existing = false;
  if (!target || !target_writable(*target, existing)) return false;
  if (!existing) return true;
  const int fd = lock_target(*target);
  if (fd < 0) return false;
  ::close(fd);
  return true;
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
  const std::optional<std::string> resolved = save_target(path);
  bool existing = false;
  if (!resolved || !target_writable(*resolved, existing)) return {save_status::write_failed, 0};
  const std::string& target = *resolved;
  // The old file stays locked until it has been replaced.
  const int held = existing ? lock_target(target) : -1;
  if (existing && held < 0) return {save_status::write_failed, 0};
  struct held_target {
    int fd;
    ~held_target() {
      if (fd >= 0) ::close(fd);
    }
  } const lock{held};

  std::vector<char> name(target.begin(), target.end());
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
  if (::chmod(temp.c_str(), mode_for(target)) != 0 || !sync_file(temp) ||
      std::rename(temp.c_str(), target.c_str()) != 0) {
    return fail(save_status::write_failed);
  }
  return {save_status::saved, 0};
}
