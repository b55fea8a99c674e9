#include "core/files/signal_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

#include "core/model/stream.h"

load_result load_sig_file(const std::string& path, PAKETS& store, const sig_read_hooks& hooks) {
  load_result result;
  result.next = static_cast<uint32_t>(store.size());
  xin_stream in;
  result.open_result = in.open(path);
  if (result.open_result != 0) return result;
  const std::span<const uint8_t> image(in.current(), static_cast<size_t>(in.end() - in.current()));
  const sig_read_result read = read_sig_image(image, store, result.next, hooks);
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

save_result save_signal_file(const std::string& path, const PAKETS& store, bool with_length,
                             const save_hooks& hooks) {
  if (with_length) {
    if (const auto too_long = first_oversize_packet(store)) {
      return {save_status::packet_too_long, *too_long};
    }
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
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return fail(save_status::write_failed);
    for (const auto& entry : store) {
      if (hooks.keep_going && !hooks.keep_going()) return fail(save_status::cancelled);
      write_packet(*entry.second, out, with_length);
      if (!out) return fail(save_status::write_failed);
      if (hooks.step) hooks.step();
    }
    out.close();
    if (out.fail()) return fail(save_status::write_failed);
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
