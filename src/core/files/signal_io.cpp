#include "core/files/signal_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

#include "core/files/capture_file.h"
#include "core/model/stream.h"

sig_read_result read_signal_image(std::span<const uint8_t> image, signal_format format,
                                  PAKETS& store, uint32_t k0, const sig_read_hooks& hooks) {
  return format == signal_format::capture ? read_capture_image(image, store, k0, hooks)
                                          : read_sig_image(image, store, k0, hooks);
}

int open_signal_stream(xin_stream& in, const std::string& path) {
  const int opened = in.open(path);
  // A file of 0 bytes cannot be held by a stream, yet it is a valid signal of no packets (a save
  // of an empty store writes one).
  return opened != 0 && is_empty_signal_file(path) ? 0 : opened;
}

std::span<const uint8_t> stream_image(const xin_stream& in) {
  if (!in.is_open()) return {};
  return {in.end() - in.file_size(), static_cast<size_t>(in.file_size())};
}

sig_read_result read_sig_stream(const xin_stream& in, signal_format format, PAKETS& store,
                                const sig_read_hooks& hooks) {
  const auto first = static_cast<uint32_t>(store.size());
  if (!in.is_open()) return {first, true};
  sig_read_result read = read_signal_image(stream_image(in), format, store, first, hooks);
  if (in.truncated() && read.ok) {
    read.ok = false;
    read.fault = read_fault::unreadable;
  }
  return read;
}

load_result load_sig_file(const std::string& path, PAKETS& store, const sig_read_hooks& hooks) {
  load_result result;
  result.next = static_cast<uint32_t>(store.size());
  xin_stream in;
  result.open_result = open_signal_stream(in, path);
  if (result.open_result != 0) return result;
  const signal_format format = format_for_reading(path, stream_image(in));
  result.capture = format == signal_format::capture;
  const sig_read_result read = read_sig_stream(in, format, store, hooks);
  result.ok = read.ok;
  result.next = read.next;
  result.fault = read.fault;
  return result;
}

bool is_empty_signal_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

namespace {

std::string folder_of(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Permissions for a new file: the old target's when there is one, else the usual 0666 - umask.
mode_t mode_for(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool sync_path(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

bool sync_file(const std::string& path) {
  return sync_path(path, O_RDONLY);
}

}  // namespace

namespace {

// The file a save to `path` writes: the path itself, or the final target of a chain of symbolic
// links, so that saving to a link replaces the file it names and keeps the link. A link that
// leads to no file yet names the file to create. Nothing for a chain that loops.
std::optional<std::string> save_target(const std::string& path) {
  constexpr int max_links = 40;  // the kernel's own limit on links followed in one path
  std::filesystem::path current(path);
  for (int links = 0; links <= max_links; ++links) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current.string();
    std::error_code error;
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error) return std::nullopt;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return std::nullopt;
}

// Whether a file can be made at `target`, which does not exist: the one sure test is to make it.
// A folder's permission bits do not tell (a process with full rights passes them even where the
// file system takes no new files, as under /proc).
bool can_create(const std::string& target) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(target.c_str());
  return true;
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
  // A folder that takes no new files may still hold a writable file, which is then written in
  // place.
  const bool folder_writable = ::access(folder.c_str(), W_OK | X_OK) == 0;
  struct stat st {};
  if (::lstat(target.c_str(), &st) != 0) return folder_writable && errno == ENOENT;
  existing = true;
  return S_ISREG(st.st_mode) && ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

bool can_write_target(const std::string& path) {
  const std::optional<std::string> target = save_target(path);
  bool existing = false;
  if (!target || !target_writable(*target, existing)) return false;
  if (!existing) return can_create(*target);
  const int fd = lock_target(*target);
  if (fd < 0) return false;
  ::close(fd);
  return true;
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

// The fallback where no temporary file can be made beside the target: write it in place.
save_result save_in_place(const std::string& target, const PAKETS& store, signal_format format,
                          const save_hooks& hooks) {
  const save_status status = write_store(target, store, format, hooks);
  if (status != save_status::saved) return {status, 0};
  if (!sync_file(target)) return {save_status::write_failed, 0};
  return {save_status::saved, 0};
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
  if (format == signal_format::capture && !capture_link_type(store)) {
    return {save_status::mixed_link_types, 0};
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

  const std::string folder = folder_of(target);
  // A short temporary name, so that a target name near the length limit still gets one.
  const std::string pattern = folder + "/.pel-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    const int error = errno;
    struct stat st {};
    // A read-only folder (or one full of names) may still hold a writable target.
    if ((error == EACCES || error == EPERM || error == EROFS) && ::stat(target.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode)) {
      return save_in_place(target, store, format, hooks);
    }
    return {save_status::write_failed, 0};
  }
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
  // The rename lasts only once the folder's entry is on the disk as well.
  (void)sync_path(folder, O_RDONLY | O_DIRECTORY);
  return {save_status::saved, 0};
}
