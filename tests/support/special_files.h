#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>

#include "support/temp_dir.h"

// Files that are not regular files, made in a test folder.

inline std::string make_fifo(const temp_dir& dir, const std::string& name) {
  const std::string path = dir.file(name);
  return ::mkfifo(path.c_str(), 0666) == 0 ? path : std::string();
}

// A bound (and closed) socket's name in the folder.
inline std::string make_socket(const temp_dir& dir, const std::string& name) {
  const std::string path = dir.file(name);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return {};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return {};
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound ? path : std::string();
}

// A character device that swallows nothing (like /dev/full). Root gets a node of its own in the
// folder, so that a faulty save could only ever replace that node; anyone else gets /dev/full.
inline std::string full_device(const temp_dir& dir) {
  const std::string path = dir.file("full");
  if (::geteuid() == 0 && ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) return path;
  return "/dev/full";
}

inline bool is_fifo(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Runs `f` with a time limit; when it does not return in time, a writer opens `fifo` (which
// releases a reader blocked in open) and the result is nullopt.
template <typename F>
auto within_seconds(int seconds, const std::string& fifo, F f) -> std::optional<decltype(f())> {
  auto result = std::async(std::launch::async, f);
  if (result.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready) {
    return result.get();
  }
  const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  (void)result.get();
  if (writer >= 0) ::close(writer);
  return std::nullopt;
}
